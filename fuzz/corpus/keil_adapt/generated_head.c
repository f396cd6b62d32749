
sfr WDT   = 0xA6;sfr WDTSTC   = 0xE1;sfr P0   = 0x80;
 sfr P1   = 0x90;
sfr P2   = 0xA0;
sfr P3   = 0xB0;
sfr PSW  = 0xD0;
sfr ACC  = 0xE0;
sfr B    = 0xF0;
sfr SP   = 0x81;
sfr DPL  = 0x82;
sfr DPH  = 0x83;
sfr PCON = 0x87;
sfr TCON = 0x88;
sfr TMOD = 0x89;
sfr TL0  = 0x8A;
sfr TL1  = 0x8B;
sfr TH0  = 0x8C;
sfr TH1  = 0x8D;
sfr IE   = 0xA8;
sfr IP   = 0xB8;
sfr SCON = 0x98;
sfr SBUF = 0x99;
sbit CY   = 0xD7;
sbit AC   = 0xD6;
sbit F0   = 0xD5;
sbit RS1  = 0xD4;
sbit RS0  = 0xD3;
sbit OV   = 0xD2;
sbit P    = 0xD0;
sbit TF1  = 0x8F;
sbit TR1  = 0x8E;
sbit TF0  = 0x8D;
sbit TR0  = 0x8C;
sbit IE1  = 0x8B;
sbit IT1  = 0x8A;
sbit IE0  = 0x89;
sbit IT0  = 0x88;
sbit EA   = 0xAF;
sbit ES   = 0xAC;
sbit ET1  = 0xAB;
sbit EX1  = 0xAA;
sbit ET0  = 0xA9;
sbit EX0  = 0xA8;
sbit PS   = 0xBC;
sbit PT1  = 0xBB;
sbit PX1  = 0xBA;
sbit PT0  = 0xB9;
sbit PX0  = 0xB8;
sbit RD   = 0xB7;
sbit WR   = 0xB6;
sbit T1   = 0xB5;
sbit T0   = 0xB4;
sbit INT1 = 0xB3;
sbit INT0 = 0xB2;
sbit TXD  = 0xB1;
sbit RXD  = 0xB0;
sbit SM0  = 0x9F;
sbit SM1  = 0x9E;
sbit SM2  = 0x9D;
sbit REN  = 0x9C;
sbit TB8  = 0x9B;
sbit RB8  = 0x9A;
sbit TI   = 0x99;
sbit RI   = 0x98;
sbit P4P0=0xE8;
sbit P4P1=0xE9;
sbit P4P2=0xEA;
sbit P4P3=0xEB;

sbit Y0=0x90;
sbit X0=0xB2;
sbit X1=0xB3;
sbit P00=0x80;
sbit P01=0x81;
sbit P02=0x82;
sbit P03=0x83;
sbit P04=0x84;
sbit P05=0x85;
sbit P06=0x86;
sbit P07=0x87;
sbit P10=0x90;
sbit P11=0x91;
sbit P12=0x92;
sbit P13=0x93;
sbit P14=0x94;
sbit P15=0x95;
sbit P16=0x96;
sbit P17=0x97;
sbit P20=0xa0;
sbit P21=0xa1;
sbit P22=0xa2;
sbit P23=0xa3;
sbit P24=0xa4;
sbit P25=0xa5;
sbit P26=0xa6;
sbit P27=0xa7;
sbit P30=0xb0;
sbit P31=0xb1;
sbit P32=0xb2;
sbit P33=0xb3;
sbit P34=0xb4;
sbit P35=0xb5;
sbit P36=0xb6;
sbit P37=0xb7;
sbit P40=0xe8;
sbit P41=0xe9;
sbit P42=0xea;
sbit P43=0xeb;
#define DIN P15
#define LOAD P16
#define CLK P17

#define SCL P36
#define SDA P37


 unsigned char y[5],yflag[5],xflag[5],plsm[2],plfm[2];
 unsigned char  dly,mlei,mlei1,mlei2,mlei3,m[11],mflag[11],t[4],tflag[4],to[4],c[2],cflag[2],cout[2];
 unsigned char  m8000;
 unsigned int  idata tc[16];//16 timer
 unsigned int  ct[11];//11 counter
 unsigned int idata d[17];
 unsigned char idata xfir[36];
 unsigned char  ack;
 unsigned int tmr;
 #if  1
 void nop(void)
 {unsigned char bf;bf++;}
 void write_7219(unsigned char wrdata)
 {unsigned char k;
  for(k=0;k<=7;k++)
  {CLK=0;nop();
   if(wrdata&0x80)DIN=1;else DIN=0;
   wrdata=wrdata<<1;
CLK=1;nop();}}
void write_word(unsigned char add,unsigned char wrdata)
{LOAD=0;write_7219(add);write_7219(wrdata);LOAD=1;}
#endif
unsigned char inx(unsigned int i)
{//X0-X43 through their filters: 0 when the input is on, 1 when off
#if 1
if(i==0)if((xfir[0]&0x0f)==0x00)return 0;else  return 1;
#endif
#if 1
if(i==1)if((xfir[1]&0x0f)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==2)if((xfir[2]&0x0f)==0x00)return 