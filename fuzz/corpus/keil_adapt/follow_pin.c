
sfr WDT   = 0xA6;sfr WDTSTC   = 0xE1;sfr P0   = 0x80;
 sfr P1   = 0x90;
sfr P3   = 0xB0;
sfr PCON = 0x87;
sfr TMOD = 0x89;
sfr TL0  = 0x8A;
sfr TH0  = 0x8C;
sbit EA   = 0xAF;
sbit ET0  = 0xA9;
sbit TR0  = 0x8C;
sbit P4P0=0xE8;
sbit X0=0xB2;
sbit X1=0xB3;
sbit Y0=0x90;
sbit Y1=0x91;
sbit Y2=0x92;
sbit Y3=0x93;
unsigned char idata m[2];
unsigned int tmr;
void timer0(void) interrupt 1 using 0
{
    TL0=125;
    TH0=0xfa;
  if(tmr<100)tmr++;
}


main()
{  unsigned char j;unsigned int i;
    EA = 1;         //start the interrupts
    ET0 = 1;
    TMOD = 1;
    TL0 = 125;
   TH0 = 0xfa;
   TR0 = 1;
if(PCON&0X10)PCON=PCON&0XEF;//PCON.4=1 ONLY WHEN POWER UP
else   
{
goto WDTRESET;}
P0=0XFF;P1=0XFF;P3=0XFF;P4P0=1;
for(j=0;j<=1;j++)
{m[j]=0;}
m[1]=1;
WDTRESET:
  while (1)
{
if(!X0)Y0=0;else Y0=1;
if(m[1])Y1=0;else Y1=1;
if(!X1){
for(i=0;i<1;i++)m[0]=1;
if(m[0])Y3=0;else Y3=1;
}
if(X1)Y3=1;
if(tmr>=100)Y2=0;else Y2=1;
}}
