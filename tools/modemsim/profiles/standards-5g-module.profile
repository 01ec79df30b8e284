# A 5G module that knows only the standard commands of 3GPP TS 27.007 on standalone NR:
# +C5GREG (report mode 0 at the start, a setting a reader must put back), the nine-field
# +CESQ whose last three fields are NR's (TS 38.133 reporting tables), +COPS with AcT 11 and
# its operator format as a setting. Operator made up.
echo on
latency 5
ATI => \r\nKorvant\r\nKV-S50\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
setting c5greg 0 1 2 3
setting copsfmt 0 1 2
AT+C5GREG={c5greg} => \r\nOK\r\n
AT+C5GREG? => \r\n+C5GREG: {c5greg},1\r\n\r\nOK\r\n
when c5greg=2 AT+C5GREG? => \r\n+C5GREG: 2,1,"00C3A1","100072000",11\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 0,0\r\n\r\nOK\r\n
AT+COPS=3,{copsfmt} => \r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",11\r\n\r\nOK\r\n
when copsfmt=2 AT+COPS? => \r\n+COPS: 0,2,"25099",11\r\n\r\nOK\r\n
AT+CESQ => \r\n+CESQ: 99,99,255,255,255,255,58,66,75\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 99,99\r\n\r\nOK\r\n
* => \r\nERROR\r\n
