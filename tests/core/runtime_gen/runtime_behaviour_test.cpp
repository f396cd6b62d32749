// The generated runtime routines compiled by the host's C compiler, with plain variables
// standing in for the 8051's registers and pins, and run by a C main that checks its own
// results and prints each check that failed.
#include <gtest/gtest.h>

#include "core/runtime_gen/main_routine.h"
#include "core/runtime_gen/runtime_routines.h"
#include "tests/support/fixtures.h"
#include "tests/support/generated_text.h"

namespace ladder51 {
namespace {

constexpr const char* kPrelude = R"(#include <stdio.h>
#define idata
unsigned char WDT,WDTSTC,EA=1,TL0,TH0,SBUF,TI=1;
unsigned char X0=1,X10=1,SDA,SCL;
static int failures;
#define CHECK(e) do{if(!(e)){printf("FAIL line %d: %s\n",__LINE__,#e);failures++;}}while(0)
)";

// The display refresh of main, run with a write_word that records what each digit shows.
constexpr const char* kDisplayHarnessHead = R"(
unsigned char shown[9];
void write_word(unsigned char add,unsigned char wrdata){shown[add]=wrdata;}
void refresh(unsigned int value,unsigned int select){unsigned char j;unsigned int i;int k;
for(k=0;k<9;k++)shown[k]=0xee;
tc[0]=value;ct[0]=value;d[0]=value;d[15]=select;m8000|=0x08;
)";

constexpr const char* kChecks = R"(
int digitsAre(int a,int b,int c,int d5,int e,int f,int g,int h){
  return shown[1]==a&&shown[2]==b&&shown[3]==c&&shown[4]==d5&&shown[5]==e&&shown[6]==f
         &&shown[7]==g&&shown[8]==h;
}
int main(void){
  int k;
  for(k=0;k<36;k++)xfir[k]=0xff;
  for(k=0;k<5;k++)xflag[k]=0xff;
  /* filter 3: an input is on after four low samples in a row, off after one high one */
  X0=0;
  for(k=0;k<3;k++){tmscan();CHECK(inx(0)==1);}
  tmscan();CHECK(inx(0)==0);
  X0=1;tmscan();CHECK(inx(0)==1);
  X10=0;for(k=0;k<4;k++)tmscan();CHECK(inx(8)==0);
  /* inputs without a pin read as off */
  CHECK(inx(1)==1);CHECK(inx(35)==1);
  /* edges of X0 */
  X0=1;for(k=0;k<4;k++)tmscan();CHECK(ldpx(0)==0);
  X0=0;for(k=0;k<4;k++)tmscan();CHECK(ldpx(0)==1);CHECK(ldpx(0)==0);
  CHECK(ldfx(0)==0);
  X0=1;tmscan();CHECK(ldfx(0)==1);CHECK(ldfx(0)==0);
  /* edges of the bit images */
  CHECK(ldpm(10)==0);m[1]|=0x04;CHECK(ldpm(10)==1);CHECK(ldpm(10)==0);
  CHECK(ldfm(10)==0);m[1]&=~0x04;CHECK(ldfm(10)==1);CHECK(ldfm(10)==0);
  CHECK(ldpy(35)==0);y[4]|=0x08;CHECK(ldpy(35)==1);CHECK(ldpy(35)==0);
  y[4]=0;CHECK(ldfy(35)==1);CHECK(ldfy(35)==0);
  c[1]|=0x02;CHECK(ldpc(9)==1);CHECK(ldpc(9)==0);c[1]=0;CHECK(ldfc(9)==1);
  t[1]|=0x80;CHECK(ldpt(15)==1);CHECK(ldpt(15)==0);t[1]=0;CHECK(ldft(15)==1);
  /* comparisons */
  CHECK(ldequ(5,5,1)==1);CHECK(ldequ(5,6,1)==0);
  CHECK(ldequ(5,5,2)==1);CHECK(ldequ(6,5,2)==1);CHECK(ldequ(4,5,2)==0);
  CHECK(ldequ(6,5,3)==1);CHECK(ldequ(5,5,3)==0);
  CHECK(ldequ(4,5,4)==1);CHECK(ldequ(5,5,4)==0);CHECK(ldequ(-1,0,4)==1);
  CHECK(ldequ(5,5,5)==1);CHECK(ldequ(6,5,5)==0);
  CHECK(ldequ(5,5,0)==0);CHECK(ldequ(5,5,6)==0);
  /* ZRST D */
  for(k=0;k<17;k++)d[k]=100+k;
  zrstd(2,4);
  CHECK(d[1]==101);CHECK(d[2]==0);CHECK(d[4]==0);CHECK(d[5]==105);
  zrstd(15,15);CHECK(d[15]==0);CHECK(d[16]==116);CHECK(d[14]==114);
  /* timers advance once per base unit while their run bit is set */
  tmr=THRESHOLD;to[0]=0x01;to[1]=0x80;tc[0]=0;tc[1]=0;tc[15]=0;
  tmscan();CHECK(tc[0]==1);CHECK(tc[15]==1);CHECK(tc[1]==0);CHECK(tmr==0);
  tmscan();CHECK(tc[0]==1);
  /* the interrupt counts up to the threshold and stops there */
  tmr=0;mlei=0;for(k=0;k<THRESHOLD+7;k++)timer0();CHECK(tmr==THRESHOLD);CHECK(mlei==THRESHOLD);
  /* clock relays: one unit toggles M8011; 10, 100 and 6000 units M8012, M8013, M8014 */
  m8000=0;mlei=THRESHOLD;mlei1=9;mlei2=9;mlei3=59;tmscan();
  CHECK(m8000==0xf8);CHECK(mlei1==0);CHECK(mlei2==0);CHECK(mlei3==0);
  m8000=0;mlei=THRESHOLD;tmscan();CHECK(m8000==0x10);
  mlei=THRESHOLD;tmscan();CHECK(m8000==0x00);
  /* an EEPROM that does not acknowledge: the write fails and interrupts stay on */
  EA=1;CHECK(WrData(0x0123,5)==0);CHECK(EA==1);CHECK(ReData(0x0123)==0);
  /* display refresh: blanks, then the decimal digits from the least significant one */
  refresh(0,0);CHECK(digitsAre(0,15,15,15,15,15,15,15));CHECK(!(m8000&0x08));
  refresh(65535,1);CHECK(digitsAre(5,3,5,5,6,15,15,15));
  refresh(1234,2);CHECK(digitsAre(4,3,2,1,15,15,15,15));
  refresh(70,0);CHECK(digitsAre(0,7,15,15,15,15,15,15));
  refresh(1234,3);CHECK(shown[1]==0xee);CHECK(!(m8000&0x08));
  printf("DONE %d\n",failures);
  return failures!=0;
}
)";

std::string withoutInterruptKeywords(std::string text) {
  for (const std::string keyword : {" interrupt 1 using 0", " interrupt 5 using 0"}) {
    const std::size_t at = text.find(keyword);
    if (at != std::string::npos) text.erase(at, keyword.size());
  }
  return text;
}

TEST(RuntimeBehaviour, RoutinesRunAsThePlcExpects) {
  if (!test::haveProgram("cc")) GTEST_SKIP() << "no host C compiler";
  Settings s;
  s.pins[*findPin("P3.2")] = "X0";
  s.pins[*findPin("P3.3")] = "X10";
  s.filter = 3;
  s.eeprom = EepromChoice::From24C32;
  s.timeBase = TimeBaseChoice::Classic;  // the checks count timer-0 interrupts
  const int threshold = 24;              // the base unit of a 12 MHz crystal

  const std::vector<std::string> mainLines =
      test::splitLines(mainSection(s, countAssignments(s.pins)));
  std::string refresh;
  for (const std::string& line : test::linesBetween(mainLines, "if(m8000&0x08)", "EX:i++;}")) {
    refresh += line + "\n";
  }
  ASSERT_FALSE(refresh.empty());

  const std::string source = std::string(kPrelude) + "#define THRESHOLD " +
                             std::to_string(threshold) + "\n" +
                             withoutInterruptKeywords(runtimeSection(s, threshold)) + "\n" +
                             kDisplayHarnessHead + refresh + "}\n" + kChecks;
  test::ScratchDir dir;
  const test::CompileRun run = test::compileAndRunOnHost(source, dir.path());
  EXPECT_TRUE(run.ok) << run.output;
  EXPECT_NE(run.output.find("DONE 0"), std::string::npos) << run.output;
}

// The FX time base's tmscan: the milliseconds timer 2's interrupt counted reach the timers as
// fxdt (150 at most) and are divided into the clock relays M8011 (0x10, every 5 ms), M8012
// (0x20, 50 ms), M8013 (0x40, 500 ms) and M8014 (0x80, 30 s), and the display's 300 ms (0x08).
constexpr const char* kFxChecks = R"(
int main(void){
  int k;
  m8000=0;mlei=0;mlei1=0;mlei2=0;fxm=0;fxd=0;tmr=0;
  for(k=0;k<3;k++)timer2();tmscan();CHECK(fxdt==3);CHECK(tmr==0);CHECK(m8000==0);
  tmscan();CHECK(fxdt==0);
  tmr=2;tmscan();CHECK(fxdt==2);CHECK(m8000==0x10);
  tmr=45;tmscan();CHECK(m8000==0x20);
  tmr=250;tmscan();CHECK(fxdt==150);CHECK(m8000==0x08);
  m8000=0;tmr=200;tmscan();CHECK(m8000==0x40);
  tmr=29500;tmscan();CHECK((m8000&0xf0)==0x80);
  tmr=29999;timer2();timer2();CHECK(tmr==30000);
  printf("DONE %d\n",failures);
  return failures!=0;
}
)";

TEST(RuntimeBehaviour, FxTimeBaseDividesTheMilliseconds) {
  if (!test::haveProgram("cc")) GTEST_SKIP() << "no host C compiler";
  Settings s;
  s.timeBase = TimeBaseChoice::Fx;
  const std::string source = std::string(kPrelude) + "#define sfr unsigned char\n" +
                             "#define sbit unsigned char\n" +
                             withoutInterruptKeywords(runtimeSection(s, 24)) + kFxChecks;
  test::ScratchDir dir;
  const test::CompileRun run = test::compileAndRunOnHost(source, dir.path());
  EXPECT_TRUE(run.ok) << run.output;
  EXPECT_NE(run.output.find("DONE 0"), std::string::npos) << run.output;
}

}  // namespace
}  // namespace ladder51
