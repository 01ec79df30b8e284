# A stick whose IMEI changes between information runs (other firmware flashed, another module
# behind the same port): 357777777777777 at one run in ten, 358888888888888 at the others.
echo on
latency 2
AT+CGMM => \r\nE3372\r\n\r\nOK\r\n
AT+CGSN => {cycle \r\n357777777777777\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n | \r\n358888888888888\r\n\r\nOK\r\n}
AT+CSQ => \r\n+CSQ: 20,99\r\n\r\nOK\r\n
* => \r\nERROR\r\n
