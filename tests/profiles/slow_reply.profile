# Two replies stall for 200 ms, far longer than the 50 ms of silence that end a read: each
# read ends at the stall and the stalled tail starts the next command's reply.
echo on
latency 2
ATI => \r\nManufacturer: zentrawave\r\nModel: E1550\r\nRevision: 11.608.12.02.143\r\nIMEI: 353333333333333\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
AT+CGMI => \r\nZENTRAWAVE{pause 200}\r\n\r\nOK\r\n
AT+CGMM => \r\nE1550-cgmm\r\n\r\nOK\r\n
AT+CGMR => \r\n11.608.12.02.143\r\n\r\nOK\r\n
AT+CIMI => \r\n250013333333333\r\n\r\nOK\r\n
AT+CGSN => \r\n353333333333333\r\n\r\nOK\r\n
AT^SYSINFO => \r\n^SYSINFO:2,3,0,5,1,{pause 200},4\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 20,99\r\n\r\nOK\r\n
* => \r\nERROR\r\n
