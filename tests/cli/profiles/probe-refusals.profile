# A module of the +CPSI family that refuses the families tried before it in two ways:
# COMMAND NOT SUPPORT to ^HCSQ?, and ERROR after an unsolicited line to +QENG; its own +CPSI
# reply comes after an unsolicited registration report. Maker and operator are made up.
echo on
latency 5
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CREG? => \r\n+CREG: 0,1\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 2,1,"1A2B","1A2D001",7\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,2,"25099",7\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 20,99\r\n\r\nOK\r\n
AT^HCSQ? => \r\nCOMMAND NOT SUPPORT\r\n
AT+QENG="servingcell" => \r\n^RSSI: 14\r\n\r\nERROR\r\n
AT+CPSI? => \r\n+CEREG: 1,"1A2B","1A2D001",7\r\n\r\n+CPSI: LTE,Online,250-99,0x1A2B,27447297,372,EUTRAN-BAND3,1300,5,5,-94,-850,-577,12\r\n\r\nOK\r\n
* => \r\nERROR\r\n
