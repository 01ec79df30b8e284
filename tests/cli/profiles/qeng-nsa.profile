# An LTE module of the +QENG family on EN-DC: +CEREG names E-UTRAN (AcT 7), +COPS E-UTRAN with
# NR (13), and the serving cell query has an NR5G-NSA line beside the LTE anchor. Maker and
# operator are made up.
echo on
latency 5
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CREG? => \r\n+CREG: 0,1\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 2,1,"00C3","2B3C4D5",7\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,2,"25001",13\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 17,99\r\n\r\nOK\r\n
AT+QENG="servingcell" => \r\n+QENG: "servingcell","NOCONN"\r\n+QENG: "LTE","FDD",250,01,2B3C4D5,45,6300,20,3,3,00C3,-102,-14,-70,7,9,-,-\r\n+QENG: "NR5G-NSA",250,01,500,-95,12,-11,627264,78,12,1\r\n\r\nOK\r\n
* => \r\nERROR\r\n
