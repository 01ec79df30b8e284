# An LTE module of the +QENG family whose firmware answers the serving cell query on one line
# with SINR on its 0..250 scale. Replies shaped as in the module AT manual, serving cell query
# section (AT+QENG="servingcell"), and 3GPP TS 27.007. Maker and operator are made up.
echo on
latency 5
ATI => \r\nKorvant\r\nKV-M20\r\nRevision: KVM20R06A03\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 2,5,"1A2B","1A2D001",7\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Nordlink",7\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 26,99\r\n\r\nOK\r\n
AT+QENG="servingcell" => \r\n+QENG: "servingcell","NOCONN","LTE","FDD",250,20,1A2D001,301,1300,3,5,5,1A2B,-85,-11,-55,160,31,-,29\r\n\r\nOK\r\n
* => \r\nERROR\r\n
