# An LTE module of the +CPSI family: RSRQ, RSRP and RSSI in tenths of a dB. Replies shaped as
# in the module AT manual, UE system information section (AT+CPSI?), and 3GPP TS 27.007.
# Maker and operator are made up.
echo on
latency 5
ATI => \r\nManufacturer: Nordlink Devices\r\nModel: NL-7000\r\nRevision: NL7000R2\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 0,1\r\n\r\nOK\r\n
AT+CEREG=2 => \r\nOK\r\n
AT+CEREG=0 => \r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Nordlink",7\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 20,99\r\n\r\nOK\r\n
AT+CPSI? => \r\n+CPSI: LTE,Online,250-99,0x1A2B,27447297,372,EUTRAN-BAND3,1300,5,5,-94,-850,-577,12\r\n\r\nOK\r\n
* => \r\nERROR\r\n
