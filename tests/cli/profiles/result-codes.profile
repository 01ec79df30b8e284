# A module that answers where its identity and state belong with final result codes only:
# ERROR for the model, a +CME ERROR for the firmware version and the SIM state, COMMAND NOT
# SUPPORT for the operator. Its IMEI and signal it does give.
echo on
latency 2
AT+CGMM => \r\nERROR\r\n
AT+CGMR => \r\n+CME ERROR: 4\r\n
AT+CGSN => \r\n356666666666666\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 20,99\r\n\r\nOK\r\n
AT+CREG? => \r\n+CREG: 0,1\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CME ERROR: 10\r\n
AT+COPS? => \r\nCOMMAND NOT SUPPORT\r\n
* => \r\nERROR\r\n
