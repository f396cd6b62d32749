
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

sbit Y2=0x82;
sbit X1=0xE9;
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
#define DIN P40
#define LOAD P21
#define CLK P3

#define Y1 dly


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
#if 0
if(i==0)if((xfir[0]&0xff)==0x00)return 0;else  return 1;
#endif
#if 1
if(i==1)if((xfir[1]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==2)if((xfir[2]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==3)if((xfir[3]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==4)if((xfir[4]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==5)if((xfir[5]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==6)if((xfir[6]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==7)if((xfir[7]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==8)if((xfir[8]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==9)if((xfir[9]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==10)if((xfir[10]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==11)if((xfir[11]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==12)if((xfir[12]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==13)if((xfir[13]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==14)if((xfir[14]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==15)if((xfir[15]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==16)if((xfir[16]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==17)if((xfir[17]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==18)if((xfir[18]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==19)if((xfir[19]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==20)if((xfir[20]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==21)if((xfir[21]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==22)if((xfir[22]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==23)if((xfir[23]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==24)if((xfir[24]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==25)if((xfir[25]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==26)if((xfir[26]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==27)if((xfir[27]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==28)if((xfir[28]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==29)if((xfir[29]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==30)if((xfir[30]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==31)if((xfir[31]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==32)if((xfir[32]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==33)if((xfir[33]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==34)if((xfir[34]&0xff)==0x00)return 0;else  return 1;
#endif
#if 0
if(i==35)if((xfir[35]&0xff)==0x00)return 0;else  return 1;
#endif
return 1;
}
unsigned char ldequ(int add1,int add2,char n)
{switch(n)
  {case 1: if(add1==add2)return 1;else return 0;break;
   case 2: if(add1>=add2)return 1;else return 0;break;
   case 3: if(add1>add2)return 1;else return 0;break;
   case 4: if(add1<add2)return 1;else return 0;break;
   case 5: if(add1<=add2)return 1;else return 0;break;
  }
return 0;}
void zrstd(unsigned char a,unsigned char z)
{for(;a<=z;a++)d[a]=0;}
unsigned char ldpx(unsigned char xn)
{if(inx(xn)==1){xflag[xn/8]|=0x01<<(xn%8);return 0;}
else
if(xflag[xn/8]&(0x01<<(xn%8))){xflag[xn/8]&=~(0x01<<(xn%8));return 1;}
else
return 0;}
unsigned char ldfx(unsigned char xn)
{if(inx(xn)==0){xflag[xn/8]&=~(0x01<<(xn%8));return 0;}
else
if(!(xflag[xn/8]&(0x01<<(xn%8)))){xflag[xn/8]|=0x01<<(xn%8);return 1;}
else
return 0;}
unsigned char ldpm(unsigned char mn)
{if(!(m[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]&=~(0x01<<(mn%8));return 0;}
else
if(!(mflag[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]|=0x01<<(mn%8);return 1;}
else
return 0;}
unsigned char ldfm(unsigned char mn)
{if((m[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]|=(0x01<<(mn%8));return 0;}
else
if((mflag[mn/8]&(0x01<<(mn%8)))){mflag[mn/8]&=~(0x01<<(mn%8));return 1;}
else
return 0;}
unsigned char ldpy(unsigned char mn)
{if(!(y[mn/8]&(0x01<<(mn%8)))){yflag[mn/8]&=~(0x01<<(mn%8));return 0;}
else
if(!(yflag[mn/8]&(0x01<<(mn%8)))){yflag[mn/8]|=0x01<<(mn%8);return 1;}
else
return 0;}
unsigned char ldfy(unsigned char mn)
{if((y[mn/8]&(0x01<<(mn%8)))){yflag[mn/8]|=(0x01<<(mn%8));return 0;}
else
if((yflag[mn/8]&(0x01<<(mn%8)))){yflag[mn/8]&=~(0x01<<(mn%8));return 1;}
else
return 0;}
unsigned char ldpc(unsigned char mn)
{if(!(c[mn/8]&(0x01<<(mn%8)))){cout[mn/8]&=~(0x01<<(mn%8));return 0;}
else
if(!(cout[mn/8]&(0x01<<(mn%8)))){cout[mn/8]|=0x01<<(mn%8);return 1;}
else
return 0;}
unsigned char ldfc(unsigned char mn)
{if((c[mn/8]&(0x01<<(mn%8)))){cout[mn/8]|=(0x01<<(mn%8));return 0;}
else
if((cout[mn/8]&(0x01<<(mn%8)))){cout[mn/8]&=~(0x01<<(mn%8));return 1;}
else
return 0;}
unsigned char ldpt(unsigned char mn)
{if(!(t[mn/8]&(0x01<<(mn%8)))){tflag[mn/8]&=~(0x01<<(mn%8));return 0;}
else
if(!(tflag[mn/8]&(0x01<<(mn%8)))){tflag[mn/8]|=0x01<<(mn%8);return 1;}
else
return 0;}
unsigned char ldft(unsigned char mn)
{if((t[mn/8]&(0x01<<(mn%8)))){tflag[mn/8]|=(0x01<<(mn%8));return 0;}
else
if((tflag[mn/8]&(0x01<<(mn%8)))){tflag[mn/8]&=~(0x01<<(mn%8));return 1;}
else
return 0;}
void tmscan(void)
{unsigned int j;unsigned char tobf;
WDT=0X1E;
WDT=0XE1;
WDTSTC=0X3C;
 if(tmr>=2)
 {
 for(j=0;j<=7;j++)
 {tobf=0x01;tobf=tobf<<j;
  if(tobf&to[0])tc[j]++;}  
 for(j=8;j<=15;j++)
 {tobf=0x01;tobf=tobf<<(j-8);
  if(tobf&to[1])tc[j]++;}  
 tmr=0;
 }
  if(mlei>=2){mlei=0;mlei1++;if(m8000&0x10)m8000=m8000&0xef;else m8000=m8000|0x10;}
  if(mlei1>=10)
  {mlei1=0;mlei2++;if(m8000&0x20)m8000=m8000&0xdf;else m8000=m8000|0x20;m8000|=0x08;}
  if(mlei2>=10)
  {mlei2=0;mlei3++;if(m8000&0x40)m8000=m8000&0xbf;else m8000=m8000|0x40;}
  if(mlei3>=60)
  {mlei3=0;if(m8000&0x80)m8000=m8000&0x7f;else m8000=m8000|0x80;}
#if 0
xfir[0]=xfir[0]<<1;xfir[0]=xfir[0]|X0;
#endif 
#if 1
xfir[1]=xfir[1]<<1;xfir[1]=xfir[1]|X1;
#endif 
#if 0
xfir[2]=xfir[2]<<1;xfir[2]=xfir[2]|X2;
#endif 
#if 0
xfir[3]=xfir[3]<<1;xfir[3]=xfir[3]|X3;
#endif 
#if 0
xfir[4]=xfir[4]<<1;xfir[4]=xfir[4]|X4;
#endif 
#if 0
xfir[5]=xfir[5]<<1;xfir[5]=xfir[5]|X5;
#endif 
#if 0
xfir[6]=xfir[6]<<1;xfir[6]=xfir[6]|X6;
#endif 
#if 0
xfir[7]=xfir[7]<<1;xfir[7]=xfir[7]|X7;
#endif 
#if 0
xfir[8]=xfir[8]<<1;xfir[8]=xfir[8]|X10;
#endif 
#if 0
xfir[9]=xfir[9]<<1;xfir[9]=xfir[9]|X11;
#endif 
#if 0
xfir[10]=xfir[10]<<1;xfir[10]=xfir[10]|X12;
#endif 
#if 0
xfir[11]=xfir[11]<<1;xfir[11]=xfir[11]|X13;
#endif 
#if 0
xfir[12]=xfir[12]<<1;xfir[12]=xfir[12]|X14;
#endif 
#if 0
xfir[13]=xfir[13]<<1;xfir[13]=xfir[13]|X15;
#endif 
#if 0
xfir[14]=xfir[14]<<1;xfir[14]=xfir[14]|X16;
#endif 
#if 0
xfir[15]=xfir[15]<<1;xfir[15]=xfir[15]|X17;
#endif 
#if 0
xfir[16]=xfir[16]<<1;xfir[16]=xfir[16]|X20;
#endif 
#if 0
xfir[17]=xfir[17]<<1;xfir[17]=xfir[17]|X21;
#endif 
#if 0
xfir[18]=xfir[18]<<1;xfir[18]=xfir[18]|X22;
#endif 
#if 0
xfir[19]=xfir[19]<<1;xfir[19]=xfir[19]|X23;
#endif 
#if 0
xfir[20]=xfir[20]<<1;xfir[20]=xfir[20]|X24;
#endif 
#if 0
xfir[21]=xfir[21]<<1;xfir[21]=xfir[21]|X25;
#endif 
#if 0
xfir[22]=xfir[22]<<1;xfir[22]=xfir[22]|X26;
#endif 
#if 0
xfir[23]=xfir[23]<<1;xfir[23]=xfir[23]|X27;
#endif 
#if 0
xfir[24]=xfir[24]<<1;xfir[24]=xfir[24]|X30;
#endif 
#if 0
xfir[25]=xfir[25]<<1;xfir[25]=xfir[25]|X31;
#endif 
#if 0
xfir[26]=xfir[26]<<1;xfir[26]=xfir[26]|X32;
#endif 
#if 0
xfir[27]=xfir[27]<<1;xfir[27]=xfir[27]|X33;
#endif 
#if 0
xfir[28]=xfir[28]<<1;xfir[28]=xfir[28]|X34;
#endif 
#if 0
xfir[29]=xfir[29]<<1;xfir[29]=xfir[29]|X35;
#endif 
#if 0
xfir[30]=xfir[30]<<1;xfir[30]=xfir[30]|X36;
#endif 
#if 0
xfir[31]=xfir[31]<<1;xfir[31]=xfir[31]|X37;
#endif 
#if 0
xfir[32]=xfir[32]<<1;xfir[32]=xfir[32]|X40;
#endif 
#if 0
xfir[33]=xfir[33]<<1;xfir[33]=xfir[33]|X41;
#endif 
#if 0
xfir[34]=xfir[34]<<1;xfir[34]=xfir[34]|X42;
#endif 
#if 0
xfir[35]=xfir[35]<<1;xfir[35]=xfir[35]|X43;
#endif 
}
void timer0(void) interrupt 1 using 0
{
    TL0=125;
    TH0=0xfa;
  if(tmr<2)tmr++;
  if(mlei<2)mlei++;
}
void send_char_com(unsigned char ch)
{
    SBUF=ch;
    while(TI==0);
    TI=0;
}


main()
{  unsigned char j;unsigned int i;
    EA = 1;         //开总中断
    ET0 = 1;        //允许定时器0中断
    TMOD = 1;       //定时器工作方式选择
    TL0 = 125;
   TH0 = 0xfa;     //定时器赋予初值
   TR0 = 1;        //启动定时器
   WDT=0X1E;      
   WDT=0XE1;     
   WDTSTC=0X3C;     
#if  1
if(PCON&0X10)PCON=PCON&0XEF;//PCON.4=1 ONLY WHEN POWER UP
else   
{
  #if  0
   if(y[0]&0x01)Y0=0;else Y0=1;
  #endif
  #if  0
   if(y[0]&0x02)Y1=0;else Y1=1;
  #endif
  #if  1
   if(y[0]&0x04)Y2=0;else Y2=1;
  #endif
  #if  0
   if(y[0]&0x08)Y3=0;else Y3=1;
  #endif
  #if  0
   if(y[0]&0x10)Y4=0;else Y4=1;
  #endif
  #if  0
   if(y[0]&0x20)Y5=0;else Y5=1;
  #endif
  #if  0
   if(y[0]&0x40)Y6=0;else Y6=1;
  #endif
  #if  0
   if(y[0]&0x80)Y7=0;else Y7=1;
  #endif
  #if  0
   if(y[1]&0x01)Y10=0;else Y10=1;
  #endif
  #if  0
   if(y[1]&0x02)Y11=0;else Y11=1;
  #endif
  #if  0
   if(y[1]&0x04)Y12=0;else Y12=1;
  #endif
  #if  0
   if(y[1]&0x08)Y13=0;else Y13=1;
  #endif
  #if  0
   if(y[1]&0x10)Y14=0;else Y14=1;
  #endif
  #if  0
   if(y[1]&0x20)Y15=0;else Y15=1;
  #endif
  #if  0
   if(y[1]&0x40)Y16=0;else Y16=1;
  #endif
  #if  0
   if(y[1]&0x80)Y17=0;else Y17=1;
  #endif
  #if  0
   if(y[2]&0x01)Y20=0;else Y20=1;
  #endif
  #if  0
   if(y[2]&0x02)Y21=0;else Y21=1;
  #endif
  #if  0
   if(y[2]&0x04)Y22=0;else Y22=1;
  #endif
  #if  0
   if(y[2]&0x08)Y23=0;else Y23=1;
  #endif
  #if  0
   if(y[2]&0x10)Y24=0;else Y24=1;
  #endif
  #if  0
   if(y[2]&0x20)Y25=0;else Y25=1;
  #endif
  #if  0
   if(y[2]&0x40)Y26=0;else Y26=1;
  #endif
  #if  0
   if(y[2]&0x80)Y27=0;else Y27=1;
  #endif
  #if  0
   if(y[3]&0x01)Y30=0;else Y30=1;
  #endif
  #if  0
   if(y[3]&0x02)Y31=0;else Y31=1;
  #endif
  #if  0
   if(y[3]&0x04)Y32=0;else Y32=1;
  #endif
  #if  0
   if(y[3]&0x08)Y33=0;else Y33=1;
  #endif
  #if  0
   if(y[3]&0x10)Y34=0;else Y34=1;
  #endif
  #if  0
   if(y[3]&0x20)Y35=0;else Y35=1;
  #endif
  #if  0
   if(y[3]&0x40)Y36=0;else Y36=1;
  #endif
  #if  0
   if(y[3]&0x80)Y37=0;else Y37=1;
  #endif
  #if  0
   if(y[4]&0x01)Y40=0;else Y40=1;
  #endif
  #if  0
   if(y[4]&0x02)Y41=0;else Y41=1;
  #endif
  #if  0
   if(y[4]&0x04)Y42=0;else Y42=1;
  #endif
  #if  0
   if(y[4]&0x08)Y43=0;else Y43=1;
  #endif
goto WDTRESET;}
#endif
P0=0XFF;P1=0XFF;P2=0XFF;P3=0XFF;P4P0=1;P4P1=1;P4P2=1;P4P3=1;
for(j=0;j<=4;j++)
{y[j]=0;yflag[j]=0;xflag[j]=0xff;}
for(j=0;j<=1;j++)
{c[j]=0;cflag[j]=0;cout[j]=0;}
for(j=0;j<=3;j++)
{t[j]=0;tflag[j]=0;to[j]=0;}
for(j=0;j<=15;j++)
{tc[j]=0;d[j]=0;}
for(j=0;j<=10;j++)
{ct[j]=0;}
   tmr=0;
 for(j=0;j<=35;j++)
   xfir[j]=0xff;
 for(j=0;j<=10;j++)
   m[j]=0x00;
 for(i=0;i<=1000;i++)
  tmscan();
#if  1
write_word(0x0c,0x01);
write_word(0x0b,0x07);
write_word(0x0a,0x0f);
write_word(0x09,0x0f);
#endif
m8000|=0x03;
WDTRESET:
  while (1)
{tmscan();
#if  1
if(m8000&0x08)
{m8000&=0xf7; 
 if(d[15]==0)
  {for(j=0;j<=7;j++)write_word(0x01+j,0x0f);
   j=tc[0]%10;write_word(0x01,j);
  i=tc[0]-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x02,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x03,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x04,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x05,j);
  }
 if(d[15]==1)
  {for(j=0;j<=7;j++)write_word(0x01+j,0x0f);
   j=ct[0]%10;write_word(0x01,j);
  i=ct[0]-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x02,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x03,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x04,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x05,j);
  }
 if(d[15]==2)
  {for(j=0;j<=7;j++)write_word(0x01+j,0x0f);
   j=d[0]%10;write_word(0x01,j);
  i=d[0]-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x02,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x03,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x04,j);
  i=i-j;if(i==0)goto EX;i=i/10;j=i%10;write_word(0x05,j);
  }
EX:i++;}
#endif

if((!inx(1))){y[0]|=(0x01<<1);Y1=0;}
else
{y[0]&=(0xff-(0x01<<1));Y1=1;}

if((!inx(1))){y[0]|=(0x01<<2);Y2=0;}
else
{y[0]&=(0xff-(0x01<<2));Y2=1;}

m8000&=0xfd;
}}