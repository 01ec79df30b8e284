# A stick whose model is in neither buy-code model list (ZW900, made up), otherwise the
# full stick: every query answered, on a live network, unlocked.
echo on
latency 5

ATI => \r\nManufacturer: Zentrawave\r\nModel: ZW900\r\nRevision: 11.126.85.00.209\r\nIMEI: 356666666666666\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
AT^FHVER => \r\n^FHVER:"ZW900 11.126.85.00.209,ZWHW900"\r\n\r\nOK\r\n
AT+CGMI => \r\nZentrawave\r\n\r\nOK\r\n
AT+CGMM => \r\nZW900\r\n\r\nOK\r\n
AT+CGMR => \r\n11.126.85.00.209\r\n\r\nOK\r\n
AT+CIMI => \r\n250991234567890\r\n\r\nOK\r\n
AT+CGSN => \r\n356666666666666\r\n\r\nOK\r\n
AT^HWVER => \r\n^HWVER:"ZWHW900"\r\n\r\nOK\r\n
AT^SYSINFO => \r\n^SYSINFO:2,3,0,5,1,,4\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 18,99\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",2\r\n\r\nOK\r\n
AT^SYSCFG? => \r\n^SYSCFG:2,0,3FFFFFFF,1,2\r\n\r\nOK\r\n
AT^VERSION? => \r\n^VERSION:BDT:Jun 14 2012, 10:55:57\r\n^VERSION:EXTD:UTPS11.002.03.10.03\r\n\r\nOK\r\n
AT^CARDLOCK? => \r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n

# Plain acknowledgements a client may send before or between queries.
AT => \r\nOK\r\n
ATZ => \r\nOK\r\n
* => \r\nERROR\r\n
