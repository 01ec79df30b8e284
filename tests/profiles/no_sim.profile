# A stick without a SIM card: the SIM queries fail with the 3GPP "SIM not inserted" error.
echo on
latency 2
ATI => \r\nManufacturer: zentrawave\r\nModel: E1550\r\nRevision: 11.608.12.02.143\r\nIMEI: 353333333333333\r\n+GCAP: +CGSM,+DS,+ES\r\n\r\nOK\r\n
AT^FHVER => \r\n^FHVER:"E1550 11.608.12.02.143,CD25TCPU"\r\n\r\nOK\r\n
AT+CGMI => \r\nzentrawave\r\n\r\nOK\r\n
AT+CGMM => \r\nE1550\r\n\r\nOK\r\n
AT+CGMR => \r\n11.608.12.02.143\r\n\r\nOK\r\n
AT+CIMI => \r\n+CME ERROR: 10\r\n
AT+CGSN => \r\n353333333333333\r\n\r\nOK\r\n
AT^HWVER => \r\n^HWVER:"CD25TCPU"\r\n\r\nOK\r\n
AT^SYSINFO => \r\n^SYSINFO:0,0,0,0,255\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CME ERROR: 10\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 5,99\r\n\r\nOK\r\n
AT+COPS? => \r\n+COPS: 0\r\n\r\nOK\r\n
AT^SYSCFG? => \r\n^SYSCFG:2,0,3FFFFFFF,1,2\r\n\r\nOK\r\n
AT^VERSION? => \r\n^VERSION:BDT:Jun 10 2010, 11:02:44\r\n\r\nOK\r\n
AT^CARDLOCK? => \r\n+CME ERROR: 10\r\n
* => \r\nERROR\r\n
