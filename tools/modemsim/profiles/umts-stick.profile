# A 3G USB stick that answers none of the LTE-era commands (+CEREG, +CESQ and the vendor
# families all ERROR): registration through +CGREG in its location form, signal through
# +CSQ. Replies as in 3GPP TS 27.007. Maker and operator are made up.
echo on
latency 5
ATI => \r\nManufacturer: Zentrawave\r\nModel: ZW-U10\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CGREG? => \r\n+CGREG: 2,1,"00C3","A1B2",2\r\n\r\nOK\r\n
AT+CREG? => \r\n+CREG: 2,1,"00C3","A1B2",2\r\n\r\nOK\r\n
AT+COPS? => {cycle \r\n+COPS: 0,0,"Zentra Mobile",2\r\n\r\nOK\r\n | \r\n+COPS: 0,2,"25099",2\r\n\r\nOK\r\n}
AT+COPS=3,2 => \r\nOK\r\n
AT+COPS=3,0 => \r\nOK\r\n
AT+CSQ => \r\n+CSQ: 18,99\r\n\r\nOK\r\n
* => \r\nERROR\r\n
