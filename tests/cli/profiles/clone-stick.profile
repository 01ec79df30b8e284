# A cloned stick: layouts play it twice, so two modems give the same IMEI.
echo on
latency 2
AT+CGMM => \r\nE3372\r\n\r\nOK\r\n
AT+CGSN => \r\n356666666666666\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 15,99\r\n\r\nOK\r\n
* => \r\nERROR\r\n
