# An LTE module that answers the standard commands of 3GPP TS 27.007 only, with two settings
# a reader may change and must put back: the registration report mode (AT+CEREG=n, 7.29) and
# the operator name format (AT+COPS=3,f, 7.3). Operator: Zentra Mobile (test network 001 01).
echo on
latency 5
AT+CGMM => \r\nZW-L100\r\n\r\nOK\r\n
setting cereg 0 1 2 3 4 5
setting copsfmt 0 1 2
AT+CEREG={cereg} => \r\nOK\r\n
AT+CEREG? => \r\n+CEREG: {cereg},1\r\n\r\nOK\r\n
when cereg=2 AT+CEREG? => \r\n+CEREG: 2,1,"2F1A","01A2D101",7\r\n\r\nOK\r\n
when cereg=3 AT+CEREG? => \r\n+CEREG: 3,1,"2F1A","01A2D101",7\r\n\r\nOK\r\n
AT+COPS=3,{copsfmt} => \r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",7\r\n\r\nOK\r\n
when copsfmt=1 AT+COPS? => \r\n+COPS: 0,1,"Zentra",7\r\n\r\nOK\r\n
when copsfmt=2 AT+COPS? => \r\n+COPS: 0,2,"00101",7\r\n\r\nOK\r\n
AT+CESQ => \r\n+CESQ: 99,99,255,255,24,46\r\n\r\nOK\r\n
# Registration reports once they are switched on: right after the set command, and every 30 s.
when cereg=1 unsolicited after 50 AT+CEREG={cereg} -> \r\n+CEREG: 1\r\n
when cereg=2 unsolicited after 50 AT+CEREG={cereg} -> \r\n+CEREG: 1,"2F1A","01A2D101",7\r\n
when cereg=1 unsolicited every 30000 \r\n+CEREG: 1\r\n
when cereg=2 unsolicited every 30000 \r\n+CEREG: 1,"2F1A","01A2D101",7\r\n
* => \r\nERROR\r\n
