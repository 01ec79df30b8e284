# An older stick that knows only the standard queries: every caret (^) command is rejected.
# The manufacturer name is made up.
echo on
latency 5

ATI => \r\nManufacturer: Zentrawave\r\nModel: E1550\r\nRevision: 11.608.12.02.143\r\nIMEI: 352222222222222\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
AT+CGMI => \r\nZentrawave\r\n\r\nOK\r\n
AT+CGMM => \r\nE1550\r\n\r\nOK\r\n
AT+CGMR => \r\n11.608.12.02.143\r\n\r\nOK\r\n
AT+CIMI => \r\n250017654321098\r\n\r\nOK\r\n
AT+CGSN => \r\n352222222222222\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 12,99\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,2,"25001",0\r\n\r\nOK\r\n

AT^FHVER => \r\nERROR\r\n
AT^HWVER => \r\nERROR\r\n
AT^SYSINFO => \r\nERROR\r\n
AT^SYSCFG? => \r\nERROR\r\n
AT^VERSION? => \r\nERROR\r\n
AT^CARDLOCK? => \r\nERROR\r\n

AT => \r\nOK\r\n
* => \r\nERROR\r\n
