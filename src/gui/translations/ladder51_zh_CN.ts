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
        <source>with a %1 MHz crystal the firmware's 5 ms are %2 machine cycles: its timers run %3% %4</source>
        <translation>晶振为 %1 MHz 时，固件的 5 毫秒为 %2 个机器周期：定时器%4 %3%</translation>
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
