<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>BoardTexts</name>
    <message>
        <source>%1 is missing: open a program to build it first.</source>
        <translation>找不到 %1：请先打开PMW文件，生成固件。</translation>
    </message>
    <message>
        <source>The simulator s51 cannot run the firmware. Check that it is installed (sudo apt-get install sdcc-ucsim), then press Reset.</source>
        <translation>仿真器 s51 无法运行固件：请确认已经安装（sudo apt-get install sdcc-ucsim），然后按“复位”。</translation>
    </message>
    <message>
        <source>The simulated chip has stopped: the firmware halted or ran away. Press Reset to start again.</source>
        <translation>仿真的单片机停止了运行（程序停机或跑飞）。按“复位”重新开始。</translation>
    </message>
    <message>
        <source>Simulate</source>
        <translation>仿真</translation>
    </message>
    <message>
        <source>Simulation: %1</source>
        <translation>仿真：%1</translation>
    </message>
    <message>
        <source>MAX7219 display</source>
        <translation>MAX7219 数码管</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>暂停</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>复位</translation>
    </message>
    <message>
        <source>Power the chip off and on: time 0, every switch off</source>
        <translation>断电后重新上电：时间从0开始，所有开关断开</translation>
    </message>
    <message>
        <source>Real time</source>
        <translation>实时</translation>
    </message>
    <message>
        <source>Fastest</source>
        <translation>最快</translation>
    </message>
    <message>
        <source>Save waveform…</source>
        <translation>保存波形…</translation>
    </message>
    <message>
        <source>The inputs and outputs since power-on, as a VCD file</source>
        <translation>把上电以来的输入和输出保存为VCD波形文件</translation>
    </message>
    <message>
        <source>Save stimulus…</source>
        <translation>保存激励…</translation>
    </message>
    <message>
        <source>The switching of the inputs since power-on, for ladder51 sim --stimulus to replay</source>
        <translation>把上电以来各输入的通断保存为激励文件，可用 ladder51 sim --stimulus 重放</translation>
    </message>
    <message>
        <source>Inputs (click: switch; hold: push button)</source>
        <translation>输入（单击：拨动开关；按住：点动按钮）</translation>
    </message>
    <message>
        <source>No pin carries an input.</source>
        <translation>没有引脚接输入点。</translation>
    </message>
    <message>
        <source>Outputs</source>
        <translation>输出</translation>
    </message>
    <message>
        <source>No pin carries an output.</source>
        <translation>没有引脚接输出点。</translation>
    </message>
    <message>
        <source>Devices of the program</source>
        <translation>程序中的软元件</translation>
    </message>
    <message>
        <source>The program uses no device whose value can be read (M0-M79, T0-T25, C0-C10, D0-D15).</source>
        <translation>程序中没有能显示当前值的软元件（M0-M79、T0-T25、C0-C10、D0-D15）。</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>软元件</translation>
    </message>
    <message>
        <source>Contact</source>
        <translation>触点</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>当前值</translation>
    </message>
    <message>
        <source>Run</source>
        <translation>运行</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>Simulated time %1 s</source>
        <translation>仿真时间 %1 秒</translation>
    </message>
    <message>
        <source>Save waveform</source>
        <translation>保存波形</translation>
    </message>
    <message>
        <source>Save stimulus</source>
        <translation>保存激励</translation>
    </message>
    <message>
        <source>VCD waveform (*.vcd)</source>
        <translation>VCD波形 (*.vcd)</translation>
    </message>
    <message>
        <source>Stimulus (*.stim *.txt)</source>
        <translation>激励文件 (*.stim *.txt)</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>已保存 %1</translation>
    </message>
</context>
<context>
    <name>FieldTexts</name>
    <message>
        <source>%1 is not a point: a pin carries an input X or an output Y, such as X0 or Y7.</source>
        <translation>%1无效：引脚只能接输入X点或输出Y点，例如X0、Y7。</translation>
    </message>
    <message>
        <source>%1 is not a point: %2 points are octal, %3.</source>
        <translation>%1无效：%2点为八进制，%3。</translation>
    </message>
    <message>
        <source>%1 is not a point: write it without leading zeros.</source>
        <translation>%1无效：编号前不要写0。</translation>
    </message>
    <message>
        <source>%1 is not a point: the highest %2 point a pin carries is %3.</source>
        <translation>%1无效：引脚可接的%2点最大为%3。</translation>
    </message>
    <message>
        <source>%1 is on both %2 and %3.</source>
        <translation>%1 同时分配给了 %2 和 %3。</translation>
    </message>
    <message>
        <source>%1=%2 is refused: %2 already carries %3. A pin serves one purpose only.</source>
        <translation>%1=%2 无效：%2 已接 %3，一个引脚只能有一种用途。</translation>
    </message>
    <message>
        <source>%1 and %2 are both on %3: each needs a pin of its own.</source>
        <translation>%1 和 %2 都设为 %3：它们各需一个引脚。</translation>
    </message>
</context>
<context>
    <name>ReportTexts</name>
    <message>
        <source> Correct the marked field, then save.</source>
        <translation> 请改正标红的输入框，然后保存设置。</translation>
    </message>
    <message>
        <source>compiler</source>
        <translation>编译器</translation>
    </message>
    <message>
        <source>start-up assembler</source>
        <translation>启动代码汇编器</translation>
    </message>
    <message>
        <source>linker</source>
        <translation>链接器</translation>
    </message>
    <message>
        <source>hex converter</source>
        <translation>HEX 转换</translation>
    </message>
    <message>
        <source>copy of fx1n.hex</source>
        <translation>复制 fx1n.hex</translation>
    </message>
    <message>
        <source>The program does not fit: its code needs %1 bytes and the chip has %2 bytes of flash. Choose a chip with more flash in the chip menu, save, then build again.</source>
        <translation>程序放不下：代码需要 %1 字节，而芯片只有 %2 字节 Flash。请在“芯片选择”中选择 Flash 更大的芯片，保存设置后重新生成。</translation>
    </message>
    <message>
        <source>The program does not fit: it needs %1 bytes of XRAM and the chip has %2. Choose a chip with more XRAM in the chip menu, save, then build again.</source>
        <translation>程序放不下：需要 %1 字节 XRAM，而芯片只有 %2 字节。请在“芯片选择”中选择 XRAM 更大的芯片，保存设置后重新生成。</translation>
    </message>
    <message>
        <source>The program does not fit: only %1 bytes of internal RAM are left for the stack. Use fewer devices, or choose a chip with XRAM in the chip menu.</source>
        <translation>程序放不下：内部RAM只剩 %1 字节给堆栈。请减少使用的软元件，或在“芯片选择”中选择带 XRAM 的芯片。</translation>
    </message>
    <message>
        <source>step %1</source>
        <translation>第 %1 步</translation>
    </message>
    <message>
        <source>step %1 (%2)</source>
        <translation>第 %1 步（%2）</translation>
    </message>
    <message>
        <source>ladder51 met a fault of its own. Please report it together with the program and the settings.</source>
        <translation>ladder51 内部出错。请连同程序和设置一起报告此问题。</translation>
    </message>
    <message>
        <source>Cannot open %1: check that it exists and that you may read it.</source>
        <translation>无法打开 %1：请检查文件是否存在、是否有读取权限。</translation>
    </message>
    <message>
        <source>Cannot read %1: the disk or the folder may be at fault.</source>
        <translation>无法读取 %1：磁盘或文件夹可能有问题。</translation>
    </message>
    <message>
        <source>%1 is too large to be a program or a settings file.</source>
        <translation>%1 太大，不是程序或设置文件。</translation>
    </message>
    <message>
        <source>Cannot write %1: check that the folder is writable and has room.</source>
        <translation>无法写入 %1：请检查文件夹是否可写、磁盘是否已满。</translation>
    </message>
    <message>
        <source>%1 holds text that its encoding cannot write.</source>
        <translation>%1 含有其编码无法保存的文字。</translation>
    </message>
    <message>
        <source>%1 is not a PLC program (.pmw) that ladder51 can read.</source>
        <translation>%1 不是 ladder51 能读取的 PLC 程序（.pmw）。</translation>
    </message>
    <message>
        <source>The instruction list does not assemble.</source>
        <translation>指令表无法汇编。</translation>
    </message>
    <message>
        <source>A value given to the command is not valid.</source>
        <translation>命令的参数无效。</translation>
    </message>
    <message>
        <source>%1 is not a settings file that ladder51 can read.</source>
        <translation>%1 不是 ladder51 能读取的设置文件。</translation>
    </message>
    <message>
        <source>The chip of the settings is unknown: choose one in the chip menu, then save.</source>
        <translation>设置中的芯片型号无法识别：请在“芯片选择”中选择芯片，然后保存设置。</translation>
    </message>
    <message>
        <source>The time base of the settings is unknown: check or clear the FX timing box, then save.</source>
        <translation>设置中的时基无法识别：请勾选或去掉“FX定时”，然后保存设置。</translation>
    </message>
    <message>
        <source>The settings are not valid yet: correct them and save before opening a program.</source>
        <translation>设置尚未通过检查：请先改正并保存设置，再打开程序。</translation>
    </message>
    <message>
        <source>The program is refused at %1: a device or an operand outside what the firmware supports. Nothing was written.</source>
        <translation>程序在%1处被拒绝：软元件或操作数超出支持的范围。未写入任何文件。</translation>
    </message>
    <message>
        <source>The program cannot be followed at %1. Nothing was written.</source>
        <translation>程序在%1处无法继续转换。未写入任何文件。</translation>
    </message>
    <message>
        <source>The program has steps that ladder51 does not translate. Nothing was written.</source>
        <translation>程序含有 ladder51 不能转换的步。未写入任何文件。</translation>
    </message>
    <message>
        <source>Another build of this work directory is running: wait until it ends, then build again.</source>
        <translation>此工作目录正在生成另一个程序：请等它结束后再生成。</translation>
    </message>
    <message>
        <source>The %1 cannot be started: it is not installed. Install SDCC with: sudo apt-get install sdcc sdcc-ucsim</source>
        <translation>无法启动%1：它没有安装。请用以下命令安装 SDCC：sudo apt-get install sdcc sdcc-ucsim</translation>
    </message>
    <message>
        <source>The Keil tools cannot be started: wine, which runs them, is not installed. Install it with: sudo apt-get install wine</source>
        <translation>无法启动 Keil 工具：运行它们所需的 wine 尚未安装。请用以下命令安装：sudo apt-get install wine</translation>
    </message>
    <message>
        <source>The %1 failed; its output follows.</source>
        <translation>%1出错，输出如下。</translation>
    </message>
    <message>
        <source>The program does not fit the chosen chip: choose a larger chip in the chip menu, save, then build again.</source>
        <translation>程序超出所选芯片的容量：请在“芯片选择”中选择更大的芯片，保存设置后重新生成。</translation>
    </message>
    <message>
        <source>The simulator could not run the firmware.</source>
        <translation>模拟器无法运行固件。</translation>
    </message>
    <message>
        <source>The simulated chip stopped on its own.</source>
        <translation>模拟的芯片自行停止了。</translation>
    </message>
    <message>
        <source>A settings file could not be used; its settings are the defaults: %1</source>
        <translation>有设置文件无法使用，其中的设置取默认值：%1</translation>
    </message>
    <message>
        <source>Note on %1: %2</source>
        <translation>%1 的提示：%2</translation>
    </message>
    <message>
        <source>%1 is left out of the firmware: %2</source>
        <translation>%1 未转换，已从固件中略去：%2</translation>
    </message>
    <message>
        <source>its instruction or operands are not supported: no code is generated for it</source>
        <translation>不支持该指令或其操作数，未为它生成代码</translation>
    </message>
    <message>
        <source>special relay %1 is not supported: the contact is left out</source>
        <translation>不支持特殊辅助继电器 %1，此触点已略去</translation>
    </message>
    <message>
        <source>%1 is kept at EEPROM bytes %2 and %3: the EEPROM must be a %4 or larger</source>
        <translation>%1 存放在 EEPROM 的第 %2、%3 字节：EEPROM 须为 %4 或更大容量的型号</translation>
    </message>
    <message>
        <source>%1%2 moves with %2: where it reaches beyond %3, which the firmware keeps, it reads 0 and writes nothing</source>
        <translation>%1%2 随变址寄存器 %2 偏移：超出固件保存的 %3 时，读出为 0，写入无效</translation>
    </message>
    <message>
        <source>%1 to the highest %2 the program names</source>
        <translation>%1 至程序用到的最大 %2</translation>
    </message>
    <message>
        <source>with a %1 MHz crystal the firmware's 1 ms is %2 machine cycles: its timers run %3% %4</source>
        <translation>晶振为 %1 MHz 时，固件的 1 毫秒为 %2 个机器周期：定时器%4 %3%</translation>
    </message>
    <message>
        <source>slow</source>
        <translation>偏慢</translation>
    </message>
    <message>
        <source>fast</source>
        <translation>偏快</translation>
    </message>
    <message>
        <source>The timers run off the PLC's times with this crystal: %1</source>
        <translation>使用此晶振时定时器与PLC的时间有偏差：%1</translation>
    </message>
    <message>
        <source>No settings saved here yet: the default settings are in use.</source>
        <translation>此处尚未保存设置，正在使用默认设置。</translation>
    </message>
    <message>
        <source>The hex could not be written beside the program as %1.</source>
        <translation>未能在程序旁写入 HEX 文件 %1。</translation>
    </message>
    <message>
        <source>The hex is also written beside the program: %1</source>
        <translation>HEX 文件也已写到程序旁：%1</translation>
    </message>
    <message>
        <source>%1: read by the program but carried by no pin, so they always read off on the board. Give them a pin if they should read inputs.</source>
        <translation>%1：程序读取了这些输入，但没有分配引脚，在板上始终为断开。如需读取输入，请为它们分配引脚。</translation>
    </message>
    <message>
        <source>%1: driven by the program but carried by no pin, so they work as internal relays only. Give them a pin if they should switch outputs.</source>
        <translation>%1：程序驱动了这些输出，但没有分配引脚，只能作内部继电器使用。如需输出，请为它们分配引脚。</translation>
    </message>
    <message>
        <source>D16 to D%1 live in the chip's XRAM and lose their values at power-off; choose an EEPROM to keep them.</source>
        <translation>D16 至 D%1 存放在芯片的 XRAM 中，断电后丢失；如需保持，请选择外接 EEPROM。</translation>
    </message>
    <message>
        <source>Compiling fx1n.c…</source>
        <translation>正在编译 fx1n.c…</translation>
    </message>
    <message>
        <source>Assembling the start-up code…</source>
        <translation>正在汇编启动代码…</translation>
    </message>
    <message>
        <source>Linking…</source>
        <translation>正在链接…</translation>
    </message>
    <message>
        <source>Writing fx1n.hex…</source>
        <translation>正在生成 fx1n.hex…</translation>
    </message>
    <message>
        <source>fx1n.hex done</source>
        <translation>fx1n.hex 已完成</translation>
    </message>
    <message>
        <source>internal RAM %1 of %2 bytes, %3 bytes left for the stack; code %4 of %5 bytes</source>
        <translation>内部RAM 用了 %1/%2 字节，堆栈余 %3 字节；代码 %4/%5 字节</translation>
    </message>
    <message>
        <source>; XRAM %1 of %2 bytes</source>
        <translation>；XRAM %1/%2 字节</translation>
    </message>
    <message>
        <source>scan time %1 to %2 ms on the simulated chip, inputs off</source>
        <translation>扫描时间 %1 至 %2 毫秒（模拟芯片，输入全断）</translation>
    </message>
    <message>
        <source>A scan takes up to %1 ms: the 10 ms timers T200-T245 and M8011 cannot keep up with scans longer than 10 ms.</source>
        <translation>一次扫描最长 %1 毫秒：扫描超过 10 毫秒时，10ms 定时器 T200-T245 和 M8011 跟不上。</translation>
    </message>
    <message>
        <source>Build the firmware without these steps?</source>
        <translation>略去这些步，仍然生成固件吗？</translation>
    </message>
    <message>
        <source>first</source>
        <translation>第一个</translation>
    </message>
    <message>
        <source>second</source>
        <translation>第二个</translation>
    </message>
    <message>
        <source>third</source>
        <translation>第三个</translation>
    </message>
    <message>
        <source>source</source>
        <translation>源</translation>
    </message>
    <message>
        <source>destination</source>
        <translation>目标</translation>
    </message>
    <message>
        <source>result</source>
        <translation>结果</translation>
    </message>
    <message>
        <source>count</source>
        <translation>次数</translation>
    </message>
    <message>
        <source>destination digit</source>
        <translation>目标位</translation>
    </message>
    <message>
        <source>the %1 operand of %2</source>
        <translation>%2 的%1操作数</translation>
    </message>
    <message>
        <source>X is out of range: use an input from X0 to X43.</source>
        <translation>X 超出范围：请使用 X0-X43 之间的输入点。</translation>
    </message>
    <message>
        <source>Y is out of range: use an output from Y0 to Y43.</source>
        <translation>Y 超出范围：请使用 Y0-Y43 之间的输出点。</translation>
    </message>
    <message>
        <source>The first register of ZRST is out of range: ZRST clears registers from D0 to D15 only.</source>
        <translation>ZRST 的起始寄存器超出范围：ZRST 只能清除 D0-D15 之间的寄存器。</translation>
    </message>
    <message>
        <source>The last register of ZRST is out of range: ZRST clears registers from D0 to D15 only.</source>
        <translation>ZRST 的结束寄存器超出范围：ZRST 只能清除 D0-D15 之间的寄存器。</translation>
    </message>
    <message>
        <source>%1 is beyond the FX1N's relays M0-M1535: use a relay in that range.</source>
        <translation>%1 超出了 FX1N 的辅助继电器范围 M0-M1535：请改用此范围内的继电器。</translation>
    </message>
    <message>
        <source>%1 is beyond the FX1N's states S0-S999: use a state in that range.</source>
        <translation>%1 超出了 FX1N 的状态继电器范围 S0-S999：请改用此范围内的状态。</translation>
    </message>
    <message>
        <source>%1 is beyond the FX1N's timers T0-T255: use a timer from T0 to T245.</source>
        <translation>%1 超出了 FX1N 的定时器范围 T0-T255：请改用 T0-T245 之间的定时器。</translation>
    </message>
    <message>
        <source>%1 is beyond the FX1N's counters C0-C255: use a counter from C0 to C199.</source>
        <translation>%1 超出了 FX1N 的计数器范围 C0-C255：请改用 C0-C199 之间的计数器。</translation>
    </message>
    <message>
        <source>%1 is beyond the FX1N's data registers D0-D7999: use a register in that range.</source>
        <translation>%1 超出了 FX1N 的数据寄存器范围 D0-D7999：请改用此范围内的寄存器。</translation>
    </message>
    <message>
        <source>%1 is a retentive timer (T246-T255), which the firmware does not keep: use a timer from T0 to T245.</source>
        <translation>%1 是积算定时器（T246-T255），固件不支持：请改用 T0-T245 之间的定时器。</translation>
    </message>
    <message>
        <source>%1 is a high-speed counter (C235-C255), which needs the PLC's counter hardware: use a counter from C0 to C199.</source>
        <translation>%1 是高速计数器（C235-C255），需要 PLC 的计数硬件，固件无法实现：请改用 C0-C199 之间的计数器。</translation>
    </message>
    <message>
        <source>%1 is a 32-bit counter (C200-C255), which the firmware does not keep: use a 16-bit counter from C0 to C199.</source>
        <translation>%1 是 32 位计数器（C200-C255），固件不支持：请改用 C0-C199 之间的 16 位计数器。</translation>
    </message>
    <message>
        <source>%1 is a special register of the PLC, which the firmware does not keep: use a register below D8000.</source>
        <translation>%1 是 PLC 的特殊寄存器，固件不保存它：请改用 D8000 以下的寄存器。</translation>
    </message>
    <message>
        <source>%1 is the scan time, which the firmware measures with the FX time base only: check the FX timing box, then save.</source>
        <translation>%1 是扫描时间，固件只在 FX 时基下测量它：请勾选“FX定时”，保存设置后再打开程序。</translation>
    </message>
    <message>
        <source>%1 is the scan time the firmware measures: a program may read it, not write it.</source>
        <translation>%1 是固件测得的扫描时间：程序只能读取，不能写入。</translation>
    </message>
    <message>
        <source>%1 %2: the firmware does not drive coils of special relays other than M8034.</source>
        <translation>%1 %2：除 M8034 外，固件不支持特殊继电器的线圈。</translation>
    </message>
    <message>
        <source>%1 is kept in an external EEPROM, but the settings choose none: choose an EEPROM, or a chip with XRAM (where its value is lost at power-off).</source>
        <translation>%1 需要保存在外接 EEPROM 中，但设置中没有选择 EEPROM：请选择 EEPROM，或选择带 XRAM 的芯片（XRAM 中的值掉电丢失）。</translation>
    </message>
    <message>
        <source>%1 does not fit in the 24C16 the settings choose, which keeps D16 to D%2 (a higher register would overwrite a lower one): choose the 24C32 or larger.</source>
        <translation>%1 超出了设置所选 24C16 的容量，它只能保存 D16 至 D%2（更高的寄存器会覆盖较低的寄存器）：请选择 24C32 或更大的 EEPROM。</translation>
    </message>
    <message>
        <source>Too many %1 instructions: the firmware has room for %2.</source>
        <translation>%1 指令太多：固件最多容纳 %2 条。</translation>
    </message>
    <message>
        <source>MC N%1 stands in a step of the step ladder, which the PLC does not allow.</source>
        <translation>MC N%1 位于步进梯形图的步中，PLC 不允许这样使用。</translation>
    </message>
    <message>
        <source>MC N%1: the PLC nests MC zones N0 to N%2 only.</source>
        <translation>MC N%1：PLC 的 MC 嵌套只能使用 N0 至 N%2。</translation>
    </message>
    <message>
        <source>STL %1 stands in an MC zone, which the PLC does not allow.</source>
        <translation>STL %1 位于 MC 区域中，PLC 不允许这样使用。</translation>
    </message>
    <message>
        <source>An operand of %1 has the odd register offset %2: the program file is damaged.</source>
        <translation>%1 的一个操作数带有奇数的寄存器偏移 %2：程序文件已损坏。</translation>
    </message>
    <message>
        <source>%1 is neither a constant K nor a D, C or T register.</source>
        <translation>%1不是常数 K，也不是 D、C 或 T 寄存器。</translation>
    </message>
    <message>
        <source>The result operand of %1 is not a D, C or T register.</source>
        <translation>%1 的结果操作数不是 D、C 或 T 寄存器。</translation>
    </message>
    <message>
        <source>%1 cannot be read: its words name no operand of the PLC.</source>
        <translation>%1无法读取：它的字不是 PLC 的任何操作数。</translation>
    </message>
    <message>
        <source>%1 is %2, which cannot be written: use a D, T or C register or a digit group of Y, M or S.</source>
        <translation>%1是 %2，不能写入：请改用 D、T、C 寄存器，或 Y、M、S 的位组合。</translation>
    </message>
    <message>
        <source>%1 is the bit %2, but a word is needed: a digit group such as K4%2 reads 16 bits.</source>
        <translation>%1是位元件 %2，这里需要字操作数：可改用 K4%2 这样的位组合，它读取 16 位。</translation>
    </message>
    <message>
        <source>%1 is %2: the instruction writes the words after it too, which needs a D, T or C register.</source>
        <translation>%1是 %2：该指令还要写入其后的字，需要使用 D、T 或 C 寄存器。</translation>
    </message>
    <message>
        <source>%1 is modified by the index register %2, which the firmware does not follow here.</source>
        <translation>%1带有变址寄存器 %2，固件不支持这种变址。</translation>
    </message>
    <message>
        <source>%1 is %2%3: the firmware does not move a group of inputs with an index register.</source>
        <translation>%1是 %2%3：固件不支持对输入位组合使用变址寄存器。</translation>
    </message>
    <message>
        <source>%1 is %2%3: with an EEPROM an index register reaches only D0 to D15, which are kept in RAM.</source>
        <translation>%1是 %2%3：选用 EEPROM 时，变址寄存器只能访问 RAM 中的 D0-D15。</translation>
    </message>
    <message>
        <source>%1 is modified by the index register %2: the firmware follows index registers on words and digit groups only.</source>
        <translation>%1带有变址寄存器 %2：固件只支持字操作数和位组合上的变址。</translation>
    </message>
    <message>
        <source>%1, %2, has more than 16 bits: use the 32-bit form D%3, which takes K5 to K8.</source>
        <translation>%1 %2 超过 16 位：请改用 32 位指令 D%3，它可以使用 K5 至 K8。</translation>
    </message>
    <message>
        <source>%1, %2, reaches %3, beyond the points the firmware keeps.</source>
        <translation>%1 %2 延伸到 %3，超出了固件保存的点。</translation>
    </message>
    <message>
        <source>%1 is not a bit of Y, M or S.</source>
        <translation>%1不是 Y、M 或 S 的位元件。</translation>
    </message>
    <message>
        <source>%1 is not a constant K or H: the firmware takes constants from %2 to %3 there.</source>
        <translation>%1不是常数 K 或 H：这里只能使用 %2 至 %3 的常数。</translation>
    </message>
    <message>
        <source>%1 is %2, outside %3 to %4.</source>
        <translation>%1是 %2，超出了 %3 至 %4 的范围。</translation>
    </message>
    <message>
        <source>SMOV moves %1 digits from digit %2 to digit %3: the digits must lie within digits 1 to 4, counted from the highest.</source>
        <translation>SMOV 从第 %2 位起移动 %1 位到第 %3 位：移动的各位必须在第 1 至第 4 位之内（从最高位数起）。</translation>
    </message>
    <message>
        <source>Label P%1 stands twice, at step %2 and at step %3: a jump or call to it could mean either. Remove one of them.</source>
        <translation>标号 P%1 出现了两次（第 %2 步和第 %3 步）：跳转或调用无法确定目标。请删去其中一个。</translation>
    </message>
    <message>
        <source>P63 cannot be a label: CJ P63 jumps to END.</source>
        <translation>P63 不能用作标号：CJ P63 表示跳到 END。</translation>
    </message>
    <message>
        <source>CJ P%1: the program has no label P%1.</source>
        <translation>CJ P%1：程序中没有标号 P%1。</translation>
    </message>
    <message>
        <source>CALL P%1: the program has no subroutine P%1 (a label P%1 after FEND, up to SRET).</source>
        <translation>CALL P%1：程序中没有子程序 P%1（即 FEND 之后以标号 P%1 开始、以 SRET 结束的部分）。</translation>
    </message>
    <message>
        <source>CALL P%1: label P%1 stands before FEND, in the main program; put the subroutine after FEND.</source>
        <translation>CALL P%1：标号 P%1 位于 FEND 之前的主程序中；子程序应写在 FEND 之后。</translation>
    </message>
    <message>
        <source>CALL P%1 at step %2: label P%1 stands inside subroutine P%3; a call enters a subroutine at its first step.</source>
        <translation>第 %2 步的 CALL P%1：标号 P%1 位于子程序 P%3 的内部；调用只能从子程序的第一步进入。</translation>
    </message>
    <message>
        <source>CJ P%1 at step %2 jumps from the main program into subroutine P%3: a jump stays in its own part of the program.</source>
        <translation>第 %2 步的 CJ P%1 从主程序跳进了子程序 P%3：跳转只能在程序的同一部分之内。</translation>
    </message>
    <message>
        <source>CJ P%1 at step %2 jumps from subroutine P%3 into the main program: a jump stays in its own part of the program.</source>
        <translation>第 %2 步的 CJ P%1 从子程序 P%3 跳进了主程序：跳转只能在程序的同一部分之内。</translation>
    </message>
    <message>
        <source>CJ P%1 at step %2 jumps from subroutine P%3 into subroutine P%4: a jump stays in its own part of the program.</source>
        <translation>第 %2 步的 CJ P%1 从子程序 P%3 跳进了子程序 P%4：跳转只能在程序的同一部分之内。</translation>
    </message>
    <message>
        <source>CJ P%1 at step %2 jumps into the FOR loop of step %3: a jump may leave a loop, not enter one.</source>
        <translation>第 %2 步的 CJ P%1 跳进了第 %3 步的 FOR 循环：跳转可以跳出循环，但不能跳入循环。</translation>
    </message>
    <message>
        <source>CJ P%1 jumps back to label P%1 (step %2) while its condition holds, and no step in between changes what the condition reads: once on, it repeats until the PLC's watchdog stops the PLC.</source>
        <translation>CJ P%1 在条件成立时跳回标号 P%1（第 %2 步），而其间没有任何一步改变该条件：一旦接通就会无限循环，直到 PLC 的看门狗使其停机。</translation>
    </message>
    <message>
        <source>CJ P63 in subroutine P%1: P63 jumps to END, out of the subroutine.</source>
        <translation>子程序 P%1 中的 CJ P63：P63 会跳到 END，跳出子程序。</translation>
    </message>
    <message>
        <source>The step after FEND belongs to no subroutine: only subroutines (a label, its steps, SRET) may follow FEND.</source>
        <translation>FEND 之后的这一步不属于任何子程序：FEND 之后只能写子程序（标号、子程序的各步、SRET）。</translation>
    </message>
    <message>
        <source>%1 after FEND belongs to no subroutine: only subroutines (a label, its steps, SRET) may follow FEND.</source>
        <translation>FEND 之后的 %1 不属于任何子程序：FEND 之后只能写子程序（标号、子程序的各步、SRET）。</translation>
    </message>
    <message>
        <source>SRET outside a subroutine: SRET ends a subroutine, which begins at its label after FEND.</source>
        <translation>SRET 位于子程序之外：SRET 用来结束子程序，而子程序从 FEND 之后的标号开始。</translation>
    </message>
    <message>
        <source>A second FEND: the main program already ends at the FEND of step %1.</source>
        <translation>出现了第二个 FEND：主程序已在第 %1 步的 FEND 结束。</translation>
    </message>
    <message>
        <source>%1 stands in the step ladder: the firmware follows program flow outside STL steps only.</source>
        <translation>%1 位于步进梯形图中：固件只支持 STL 步之外的程序流程指令。</translation>
    </message>
    <message>
        <source>STL in subroutine P%1: the step ladder belongs in the main program.</source>
        <translation>子程序 P%1 中有 STL：步进梯形图应写在主程序中。</translation>
    </message>
    <message>
        <source>FOR is nested 6 deep: the PLC nests FOR loops 5 deep at most (the outer ones at steps %1).</source>
        <translation>FOR 嵌套达到 6 层：PLC 最多嵌套 5 层（外层循环在第 %1 步）。</translation>
    </message>
    <message>
        <source>CALL P%1 calls subroutine P%1 from inside itself (%2): the PLC does not call a subroutine again before it returns.</source>
        <translation>CALL P%1 在子程序 P%1 内部又调用了它自己（%2）：PLC 不会在子程序返回之前再次调用它。</translation>
    </message>
    <message>
        <source>Subroutine calls are nested 6 deep (main program -&gt; %1): the PLC nests them 5 deep at most.</source>
        <translation>子程序调用嵌套达到 6 层（主程序 -&gt; %1）：PLC 最多嵌套 5 层。</translation>
    </message>
    <message>
        <source>The program file holds no steps: it ends before byte %1, and its steps begin at byte %2.</source>
        <translation>程序文件中没有任何步：文件在第 %1 字节之前就结束了，而步从第 %2 字节开始。</translation>
    </message>
    <message>
        <source>The program file ends at byte %1 without END: it is cut short, or not a program file.</source>
        <translation>程序文件在第 %1 字节处结束，却没有 END：文件不完整，或者不是程序文件。</translation>
    </message>
    <message>
        <source>There is no END in the %1 steps the translator reads (bytes %2 to %3): the program is longer, or its END is missing. Add END at the end of the program.</source>
        <translation>翻译器读取的 %1 步（第 %2 至 %3 字节）中没有 END：程序过长，或者缺少 END。请在程序末尾加上 END。</translation>
    </message>
    <message>
        <source>MC without a matching MCR: %1 zone(s) are still open at the end. Close each MC with its MCR.</source>
        <translation>MC 没有对应的 MCR：程序结束时仍有 %1 个区域未关闭。请为每个 MC 加上对应的 MCR。</translation>
    </message>
    <message>
        <source>Too many pending rung conditions (more than 8001).</source>
        <translation>等待合并的梯级条件太多（超过 8001 个）。</translation>
    </message>
    <message>
        <source>%1 needs a rung condition, but no LD or LDI opened one.</source>
        <translation>%1 需要梯级条件，但前面没有 LD 或 LDI 开始梯级。</translation>
    </message>
    <message>
        <source>%1 needs two pending rung conditions, but %2 is open.</source>
        <translation>%1 需要两个等待合并的梯级条件，但只有 %2 个。</translation>
    </message>
    <message>
        <source>MPS is nested more than 501 deep.</source>
        <translation>MPS 嵌套超过 501 层。</translation>
    </message>
    <message>
        <source>%1 without a branch saved by MPS.</source>
        <translation>%1 之前没有 MPS 保存的分支。</translation>
    </message>
    <message>
        <source>The set value of %1 is out of range: its high byte is 80 hex or more.</source>
        <translation>%1 的设定值超出范围：其高字节不小于十六进制 80。</translation>
    </message>
    <message>
        <source>MCR without a matching MC.</source>
        <translation>MCR 没有对应的 MC。</translation>
    </message>
    <message>
        <source>NEXT without a matching FOR.</source>
        <translation>NEXT 没有对应的 FOR。</translation>
    </message>
    <message>
        <source>FOR at step %1 has no NEXT before %2.</source>
        <translation>第 %1 步的 FOR 在 %2 之前没有对应的 NEXT。</translation>
    </message>
    <message>
        <source>MC without a matching MCR before %1.</source>
        <translation>%1 之前的 MC 没有对应的 MCR。</translation>
    </message>
    <message>
        <source>Subroutine P%1 has no SRET before END.</source>
        <translation>子程序 P%1 在 END 之前没有 SRET。</translation>
    </message>
    <message>
        <source>The program has %1 step(s) that ladder51 does not translate: firmware without them would not do what the program says.</source>
        <translation>程序中有 %1 步无法翻译：缺少这些步的固件不能完全按程序工作。</translation>
    </message>
    <message>
        <source>%1 is missing</source>
        <translation>%1 不存在</translation>
    </message>
    <message>
        <source>%1 is a folder, not a file</source>
        <translation>%1 是文件夹，不是文件</translation>
    </message>
    <message>
        <source>%1 is larger than %2 bytes, too large for a settings file</source>
        <translation>%1 大于 %2 字节，不是设置文件</translation>
    </message>
    <message>
        <source>%1 cannot be read</source>
        <translation>%1 无法读取</translation>
    </message>
    <message>
        <source>%1 is not a text file</source>
        <translation>%1 不是文本文件</translation>
    </message>
    <message>
        <source>%1 is empty</source>
        <translation>%1 是空文件</translation>
    </message>
    <message>
        <source>a quoted text in %1 is not closed</source>
        <translation>%1 中的引号没有闭合</translation>
    </message>
    <message>
        <source>%1 has text after a quoted field</source>
        <translation>%1 中引号之后还有多余的文字</translation>
    </message>
    <message>
        <source>%1 has the field %2, which is neither a number nor text in quotes</source>
        <translation>%1 中的字段 %2 既不是数字，也不是带引号的文字</translation>
    </message>
    <message>
        <source>the number %2 in %1 is out of range</source>
        <translation>%1 中的数字 %2 超出范围</translation>
    </message>
    <message>
        <source>%1 has %2 fields instead of %3</source>
        <translation>%1 只有 %2 个字段，应为 %3 个</translation>
    </message>
    <message>
        <source>field %2 of %1 has the wrong kind</source>
        <translation>%1 的第 %2 个字段类型不对</translation>
    </message>
    <message>
        <source>%1 line %2: "%3" is not NAME=VALUE; the line is ignored.</source>
        <translation>%1 第 %2 行：“%3”不是“名称=值”的格式，该行被忽略。</translation>
    </message>
    <message>
        <source>%1 line %2: there is no setting %3; the line is ignored.</source>
        <translation>%1 第 %2 行：没有名为 %3 的设置，该行被忽略。</translation>
    </message>
    <message>
        <source>%1 line %2: %3 is set again; the line is ignored.</source>
        <translation>%1 第 %2 行：%3 重复设置，该行被忽略。</translation>
    </message>
    <message>
        <source>%1 line %2: the chip "%3" is unknown (known: %4); the chip of a new installation is used. Choose a chip in the chip menu, then save.</source>
        <translation>%1 第 %2 行：芯片“%3”无法识别（可选：%4），已改用新安装时的芯片。请在“芯片选择”菜单中选择芯片，然后保存设置。</translation>
    </message>
    <message>
        <source>%1 line %2: the time base "%3" is unknown (fx or classic); the time base of a new installation is used. Check or clear the FX timing box, then save.</source>
        <translation>%1 第 %2 行：时基“%3”无法识别，已改用新安装时的时基。请勾选或去掉“FX定时”，然后保存设置。</translation>
    </message>
    <message>
        <source>%1: %2 more lines cannot be used and are ignored.</source>
        <translation>%1：另有 %2 行无法使用，已被忽略。</translation>
    </message>
    <message>
        <source>%1: its settings take the values of a new installation. Saving the settings writes the file again.</source>
        <translation>%1：其中的设置已取新安装时的值。保存设置即可重新写入该文件。</translation>
    </message>
</context>
<context>
    <name>WindowTexts</name>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>Recent programs</source>
        <translation>最近打开的程序</translation>
    </message>
    <message>
        <source>Quit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>The settings have been changed but not saved. Save them?</source>
        <translation>设置已修改但尚未保存。要保存吗？</translation>
    </message>
    <message>
        <source>Discard</source>
        <translation>不保存</translation>
    </message>
    <message>
        <source>refused</source>
        <translation>拒绝</translation>
    </message>
    <message>
        <source>left out</source>
        <translation>略去</translation>
    </message>
    <message>
        <source>note</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>failed</source>
        <translation>失败</translation>
    </message>
    <message>
        <source>Kind</source>
        <translation>类别</translation>
    </message>
    <message>
        <source>Result of the last translation and build</source>
        <translation>上次转换和生成的结果</translation>
    </message>
    <message>
        <source>XRAM</source>
        <translation>XRAM</translation>
    </message>
    <message>
        <source>Internal RAM</source>
        <translation>内部RAM</translation>
    </message>
    <message>
        <source>Stack</source>
        <translation>堆栈</translation>
    </message>
    <message>
        <source>Code</source>
        <translation>代码</translation>
    </message>
    <message>
        <source>Open folder</source>
        <translation>打开文件夹</translation>
    </message>
    <message>
        <source>View fx1n.c</source>
        <translation>查看 fx1n.c</translation>
    </message>
    <message>
        <source>fx1n.c as written, read-only; the selected step's statement marked</source>
        <translation>只读查看 fx1n.c；选中的步所对应的语句会被标出</translation>
    </message>
    <message>
        <source>%1 of %2 bytes</source>
        <translation>%1 / %2 字节</translation>
    </message>
    <message>
        <source>%1 bytes left</source>
        <translation>余 %1 字节</translation>
    </message>
</context>
</TS>
