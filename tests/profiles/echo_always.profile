# A stick that ignores ATE0: every reply starts with the echoed command line.
echo always
latency 2
ATI => \r\nManufacturer: zentrawave\r\nModel: E173\r\nRevision: 11.126.85.00.209\r\nIMEI: 354444444444444\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
AT^FHVER => \r\n^FHVER:"E173 11.126.85.00.209,CD1E173M"\r\n\r\nOK\r\n
AT+CGMI => \r\nzentrawave\r\n\r\nOK\r\n
AT+CGMM => \r\nE173\r\n\r\nOK\r\n
AT+CGMR => \r\n11.126.85.00.209\r\n\r\nOK\r\n
AT+CIMI => \r\n250014444444444\r\n\r\nOK\r\n
AT+CGSN => \r\n354444444444444\r\n\r\nOK\r\n
AT^HWVER => \r\n^HWVER:"CD1E173M"\r\n\r\nOK\r\n
AT^SYSINFO => \r\n^SYSINFO:2,3,0,5,1,,4\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 18,99\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",2\r\n\r\nOK\r\n
AT^SYSCFG? => \r\n^SYSCFG:2,0,3FFFFFFF,1,2\r\n\r\nOK\r\n
AT^VERSION? => \r\n^VERSION:BDT:Oct 19 2011, 17:25:51\r\n^VERSION:EXTD:UTPS11.300.05.21.209\r\n\r\nOK\r\n
AT^CARDLOCK? => \r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n
* => \r\nERROR\r\n
