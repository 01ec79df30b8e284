# An LTE module of the +QENG family (one-line form) that stays silent to ^HCSQ?, the first
# family's probe. Maker and operator are made up.
echo on
latency 5
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CREG? => \r\n+CREG: 0,1\r\n\r\nOK\r\n
AT+CEREG? => \r\n+CEREG: 2,1,"1A2B","1A2D001",7\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,2,"25099",7\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 20,99\r\n\r\nOK\r\n
AT^HCSQ? => <silent>
AT+QENG="servingcell" => \r\n+QENG: "servingcell","NOCONN","LTE","FDD",250,99,1A2D001,301,1300,3,5,5,1A2B,-85,-11,-55,160,31,-,29\r\n\r\nOK\r\n
* => \r\nERROR\r\n
