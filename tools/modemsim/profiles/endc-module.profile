# A 5G module of the +QENG family on EN-DC: the LTE anchor on band 3 and the NR leg on n78.
# +CEREG names E-UTRAN (AcT 7), +COPS E-UTRAN with NR (13), +C5GREG says not registered (the
# core is EPC). The serving cell query answers on three lines, the NR line without the blank
# after its colon as real firmware writes it; the carrier list has the LTE primary, an LTE
# secondary on band 20 and the NR carrier. Replies shaped as in the module AT manual and
# 3GPP TS 27.007. Maker and operator made up.
echo on
latency 5
ATI => \r\nKorvant\r\nKV-N520\r\nRevision: KVN520R01A11\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+C5GREG? => \r\n+C5GREG: 0,0\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 2,1,"00C3","1A2D001",7\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,2,"25001",13\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 20,99\r\n\r\nOK\r\n
AT+QENG="servingcell" => \r\n+QENG: "servingcell","NOCONN"\r\n+QENG: "LTE","FDD",250,01,1A2D001,102,1300,3,5,5,00C3,-88,-10,-58,14,15,20,-\r\n+QENG:"NR5G-NSA",250,01,500,-84,18,-11,627264,78,12,1\r\n\r\nOK\r\n
AT+QCAINFO => \r\n+QCAINFO: "PCC",1300,100,"LTE BAND 3",1,102,-88,-10,-58,14\r\n+QCAINFO: "SCC",6300,50,"LTE BAND 20",2,45,-97,-12,-66,6\r\n+QCAINFO: "SCC",627264,12,"NR5G BAND 78",2,500,1,12,627264,-84,-11\r\n\r\nOK\r\n
* => \r\nERROR\r\n
