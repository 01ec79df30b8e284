# A 3G stick that answers ^HCSQ? with OK but no ^HCSQ line, and ERROR to the other families
# and to +CESQ: it has none of them.
echo on
latency 5
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CREG? => \r\n+CREG: 2,1,"00C3","A1B2",2\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",2\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 18,99\r\n\r\nOK\r\n
AT^HCSQ? => \r\nOK\r\n
* => \r\nERROR\r\n
