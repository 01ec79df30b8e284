# A 5G module of the +QENG family on standalone NR (SA), band n78: only +C5GREG tells its
# registration (+CEREG says not registered), its report mode starts at 0 and is a setting a
# reader must put back; the serving cell query answers the NR5G-SA line (cell id past 32 bits,
# a blank after a comma as some firmware writes it) and the carrier list an NR primary and an
# NR secondary carrier. Replies shaped as in the module AT manual and 3GPP TS 27.007. Maker
# and operator made up.
echo on
latency 5
ATI => \r\nKorvant\r\nKV-N500\r\nRevision: KVN500R02A05\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
setting c5greg 0 1 2 3
AT+C5GREG={c5greg} => \r\nOK\r\n
AT+C5GREG? => \r\n+C5GREG: {c5greg},1\r\n\r\nOK\r\n
when c5greg=2 AT+C5GREG? => \r\n+C5GREG: 2,1,"00C3A1","100072000",11\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 0,0\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",11\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 99,99\r\n\r\nOK\r\n
AT+QENG="servingcell" => \r\n+QENG: "servingcell","NOCONN","NR5G-SA","TDD", 250,99,100072000,500,00C3A1,627264,78,12,-92,-11,15,1,-\r\n\r\nOK\r\n
AT+QCAINFO => \r\n+QCAINFO: "PCC",627264,12,"NR5G BAND 78",500\r\n+QCAINFO: "SCC",154570,2,"NR5G BAND 28",301\r\n\r\nOK\r\n
* => \r\nERROR\r\n
