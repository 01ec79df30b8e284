# An LTE module of the +QENG family whose firmware answers the serving cell query on two
# lines (the form that can pair LTE with NR) with SINR in dB, on band 20. Replies shaped as in
# the module AT manual, serving cell query section, and 3GPP TS 27.007. An unsolicited
# registration report arrives before the reply. Maker and operator are made up.
echo on
latency 5
ATI => \r\nKorvant\r\nKV-M50\r\nRevision: KVM50R11A02\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 2,1,"00C3","2B3C4D5",7\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",7\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 17,99\r\n\r\nOK\r\n
AT+QENG="servingcell" => \r\n+CEREG: 1,"00C3","2B3C4D5",7\r\n\r\n+QENG: "servingcell","NOCONN"\r\n+QENG: "LTE","FDD",250,01,2B3C4D5,45,6300,20,3,3,00C3,-102,-14,-70,7,9,-,-\r\n\r\nOK\r\n
* => \r\nERROR\r\n
