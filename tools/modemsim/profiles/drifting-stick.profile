# The full stick carried about: its signal drifts from one AT+CSQ to the next (a walk away
# from the window and back, with one moment of unknown level), and every tenth reading or so
# it falls back from WCDMA to GSM. The manufacturer name is made up. Shown by `make demo`
# with `vesmarin-cli watch`.
echo on
latency 5

ATI => \r\nManufacturer: Zentrawave\r\nModel: E173\r\nRevision: 11.126.85.00.209\r\nIMEI: 351111111111111\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
AT^FHVER => \r\n^FHVER:"E173u-2 11.126.85.00.209,CD1E173M"\r\n\r\nOK\r\n
AT+CGMI => \r\nZentrawave\r\n\r\nOK\r\n
AT+CGMM => \r\nE173\r\n\r\nOK\r\n
AT+CGMR => \r\n11.126.85.00.209\r\n\r\nOK\r\n
AT+CIMI => \r\n250991234567890\r\n\r\nOK\r\n
AT+CGSN => \r\n351111111111111\r\n\r\nOK\r\n
AT^HWVER => \r\n^HWVER:"CD1E173M"\r\n\r\nOK\r\n
AT^SYSINFO => {cycle \r\n^SYSINFO:2,3,0,5,1,,4\r\n\r\nOK\r\n | \r\n^SYSINFO:2,3,0,3,1,,3\r\n\r\nOK\r\n}
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CSQ => {cycle \r\n+CSQ: 18,99\r\n\r\nOK\r\n | \r\n+CSQ: 19,99\r\n\r\nOK\r\n | \r\n+CSQ: 21,99\r\n\r\nOK\r\n | \r\n+CSQ: 22,99\r\n\r\nOK\r\n | \r\n+CSQ: 24,99\r\n\r\nOK\r\n | \r\n+CSQ: 23,99\r\n\r\nOK\r\n | \r\n+CSQ: 21,99\r\n\r\nOK\r\n | \r\n+CSQ: 20,99\r\n\r\nOK\r\n | \r\n+CSQ: 17,99\r\n\r\nOK\r\n | \r\n+CSQ: 15,99\r\n\r\nOK\r\n | \r\n+CSQ: 13,99\r\n\r\nOK\r\n | \r\n+CSQ: 11,99\r\n\r\nOK\r\n | \r\n+CSQ: 9,99\r\n\r\nOK\r\n | \r\n+CSQ: 8,99\r\n\r\nOK\r\n | \r\n+CSQ: 10,99\r\n\r\nOK\r\n | \r\n+CSQ: 99,99\r\n\r\nOK\r\n | \r\n+CSQ: 12,99\r\n\r\nOK\r\n | \r\n+CSQ: 14,99\r\n\r\nOK\r\n | \r\n+CSQ: 16,99\r\n\r\nOK\r\n | \r\n+CSQ: 17,99\r\n\r\nOK\r\n}
AT+COPS? => \r\n+COPS: 0,0,"Zentra Mobile",2\r\n\r\nOK\r\n
AT^SYSCFG? => \r\n^SYSCFG:2,0,3FFFFFFF,1,2\r\n\r\nOK\r\n
AT^VERSION? => \r\n^VERSION:BDT:Jun 14 2012, 10:55:57\r\n^VERSION:EXTD:UTPS11.002.03.10.03\r\n\r\nOK\r\n
AT^CARDLOCK? => \r\n^CARDLOCK: 2,10,0\r\n\r\nOK\r\n

# Plain acknowledgements a client may send before or between queries.
AT => \r\nOK\r\n
ATZ => \r\nOK\r\n
* => \r\nERROR\r\n
