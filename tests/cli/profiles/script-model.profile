# A stick whose model text is markup: a script element and an image whose error handler runs
# script. The status page must show it as text and run none of it.
echo on
latency 2
AT+CGMM => \r\n<script>window.pwned=1</script><img src=x onerror="window.pwned=2">\r\n\r\nOK\r\n
AT+CGSN => \r\n356666666666666\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 20,99\r\n\r\nOK\r\n
AT+CREG? => \r\n+CREG: 0,1\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
* => \r\nERROR\r\n
