# The full stick, pulled out when the run reaches the signal query (query 13).
echo on
latency 2
ATI => \r\nManufacturer: zentrawave\r\nModel: E173\r\nRevision: 11.126.85.00.209\r\nIMEI: 351111111111111\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
AT^FHVER => \r\n^FHVER:"E173 11.126.85.00.209,CD1E173M"\r\n\r\nOK\r\n
AT+CGMI => \r\nZentrawave Technologies Co., Ltd.\r\n\r\nOK\r\n
AT+CGMM => \r\n"E173u-2"\r\n\r\nOK\r\n
AT+CGMR => \r\n11.126.85.00.209.B427\r\n\r\nOK\r\n
AT+CIMI => \r\n250011234567890\r\n\r\nOK\r\n
AT+CGSN => \r\n351111111111119\r\n\r\nOK\r\n
AT^HWVER => \r\n^HWVER:"CD1E173M"\r\n\r\nOK\r\n
AT^SYSINFO => \r\n^SYSINFO:2,3,0,5,1,,4\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 18,99\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",2\r\n\r\nOK\r\n
AT^SYSCFG? => \r\n^SYSCFG:2,2,3FFFFFFF,1,2\r\n\r\nOK\r\n
AT^VERSION? => \r\n^VERSION:BDT:Oct 19 2011, 17:25:51\r\n^VERSION:EXTD:UTPS11.300.05.21.209_MAC11.301.06.02.209\r\n^VERSION:INI:\r\n\r\nOK\r\n
AT^CARDLOCK? => \r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n
* => \r\nERROR\r\n
unplug AT+CSQ
