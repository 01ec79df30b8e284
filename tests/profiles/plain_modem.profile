# A modem that knows only the 3GPP queries: every caret command gets ERROR. It answers
# AT+CGMI with a bare error line and AT+CGMM with only OK.
echo on
latency 2
ATI => \r\nManufacturer: KORVANT INCORPORATED\r\nModel: MF180\r\nRevision: BD_MF180V1.0.0B03\r\nIMEI: 861111111111111\r\n+GCAP: +CGSM,+FCLASS,+DS\r\n\r\nOK\r\n
AT+CGMI => \r\nERROR\r\n
AT+CGMM => \r\nOK\r\n
AT+CGMR => \r\n"BD_MF180V1.0.0B04"\r\n\r\nOK\r\n
AT+CIMI => \r\n250991234567890\r\n\r\nOK\r\n
AT+CGSN => \r\n861111111111112\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1,0\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 99,99\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,2,25099,2\r\n\r\nOK\r\n
* => \r\nERROR\r\n
