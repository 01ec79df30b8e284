# The caret-family LTE stick of lte-caret-stick.profile with a signal that changes at every
# reading (RSRP from -78 to -112 dBm, one reading without a measurement) and a cell change
# from PCI 102 on band 3 to PCI 215 on band 20 and back; `make demo` shows it with `cell`.
# Replies shaped as in the module AT manual, network service sections. Made-up operator.
echo on
latency 5
ATI => \r\nManufacturer: Zentrawave\r\nModel: ZW-L40\r\nRevision: 22.200.15.00.00\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CEREG? => {cycle \r\n+CEREG: 2,1,"1A2B","0A2B3C4",7\r\n\r\nOK\r\n | \r\n+CEREG: 2,1,"1A2B","0A2B3D7",7\r\n\r\nOK\r\n}
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",7\r\n\r\nOK\r\n
AT+COPS=3,2 => \r\nOK\r\n
AT+COPS=3,0 => \r\nOK\r\n
AT+CSQ => {cycle \r\n+CSQ: 24,99\r\n\r\nOK\r\n | \r\n+CSQ: 19,99\r\n\r\nOK\r\n | \r\n+CSQ: 12,99\r\n\r\nOK\r\n}
AT^HCSQ? => {cycle \r\n^HCSQ:"LTE",60,63,180,26\r\n\r\nOK\r\n | \r\n^HCSQ:"LTE",55,52,140,22\r\n\r\nOK\r\n | \r\n^HCSQ:"LTE",48,41,90,16\r\n\r\nOK\r\n | \r\n^HCSQ:"LTE",255,255,255,255\r\n\r\nOK\r\n | \r\n^HCSQ:"LTE",44,29,40,9\r\n\r\nOK\r\n}
AT^SYSINFOEX => \r\n^SYSINFOEX:2,3,0,1,,6,"LTE",101,"LTE"\r\n\r\nOK\r\n
AT^HFREQINFO? => {cycle \r\n^HFREQINFO:0,6,3,1300,18400,15000,19300,17450,15000\r\n\r\nOK\r\n | \r\n^HFREQINFO:0,6,20,6300,7960,10000,24300,8370,10000\r\n\r\nOK\r\n}
AT^MONSC => {cycle \r\n^MONSC: LTE,250,99,1300,0A2B3C4,102,1A2B,-78,-8,-52\r\n\r\nOK\r\n | \r\n^MONSC: LTE,250,99,6300,0A2B3D7,215,1A2B,-101,-13,-70\r\n\r\nOK\r\n}
* => \r\nERROR\r\n
