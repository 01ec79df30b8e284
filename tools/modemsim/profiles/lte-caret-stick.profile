# An LTE USB stick of the caret family on band 3, registered at home with the registration
# report already in its location form (mode 2). Replies shaped as in the stick's module AT
# manual, network service sections (^HCSQ, ^SYSINFOEX, ^HFREQINFO, ^MONSC), and 3GPP TS 27.007
# for the standard commands. Maker, model and operator are made up.
echo on
latency 5
ATI => \r\nManufacturer: Zentrawave\r\nModel: ZW-L40\r\nRevision: 22.200.15.00.00\r\nIMEI: 351111111111129\r\n\r\nOK\r\n
AT+CGMM => \r\nZW-L40\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 2,1,"1A2B","0A2B3C4",7\r\n\r\nOK\r\n
AT+CEREG=2 => \r\nOK\r\n
AT+CEREG=0 => \r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",7\r\n\r\nOK\r\n
AT+COPS=3,2 => \r\nOK\r\n
AT+COPS=3,0 => \r\nOK\r\n
AT+CSQ => \r\n+CSQ: 23,99\r\n\r\nOK\r\n
AT+CESQ => \r\n+CESQ: 99,99,255,255,21,46\r\n\r\nOK\r\n
AT^HCSQ? => \r\n^HCSQ:"LTE",56,46,162,21\r\n\r\nOK\r\n
AT^SYSINFOEX => \r\n^SYSINFOEX:2,3,0,1,,6,"LTE",101,"LTE"\r\n\r\nOK\r\n
AT^HFREQINFO? => \r\n^HFREQINFO:0,6,3,1300,18400,15000,19300,17450,15000\r\n\r\nOK\r\n
AT^MONSC => \r\n^MONSC: LTE,250,99,1300,0A2B3C4,102,1A2B,-95,-10,-65\r\n\r\nOK\r\n
* => \r\nERROR\r\n
