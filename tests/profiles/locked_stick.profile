# A stick locked to its operator, roaming with a foreign SIM: three unlock attempts left.
echo on
latency 2
ATI => \r\nManufacturer: zentrawave\r\nModel: E171\r\nRevision: 21.156.00.00.143\r\nIMEI: 355555555555555\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
AT^FHVER => \r\n^FHVER:"E171 21.156.00.00.143,CH1E171M"\r\n\r\nOK\r\n
AT+CGMI => \r\nzentrawave\r\n\r\nOK\r\n
AT+CGMM => \r\nE171\r\n\r\nOK\r\n
AT+CGMR => \r\n21.156.00.00.143\r\n\r\nOK\r\n
AT+CIMI => \r\n250025555555555\r\n\r\nOK\r\n
AT+CGSN => \r\n355555555555555\r\n\r\nOK\r\n
AT^HWVER => \r\n^HWVER:"CH1E171M"\r\n\r\nOK\r\n
AT^SYSINFO => \r\n^SYSINFO:1,1,1,3,1,1,3\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 31,99\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 1,0,"Nordlink"\r\n\r\nOK\r\n
AT^SYSCFG? => \r\n^SYSCFG:13,1,80,0\r\n\r\nOK\r\n
AT^VERSION? => \r\n^VERSION:BDT:Mar 22 2012, 10:31:07\r\n^VERSION:EXTD:UTPS15.001.01.00.143\r\n\r\nOK\r\n
AT^CARDLOCK? => \r\n^CARDLOCK: 1,3,0\r\n\r\nOK\r\n
* => \r\nERROR\r\n
