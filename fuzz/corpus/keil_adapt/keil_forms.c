/* sfr P0 = 0x80; stays in a comment */
sfr P1 = 0x90;
sbit  TR0=0x8C ;
sfr16 DPTR = 0x82;
unsigned char idata buffer[8];
char *text = "sbit X = 1; interrupt 2";
char quote = '\'';
void timer0(void) interrupt 1 using 2 { }
void ext0(void) interrupt 0 { } // sbit Y = 2;
void bad(void) interrupt x { }
int sfrx = 1; sfr = 2; sbit 9 = 3;
