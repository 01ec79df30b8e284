# A stick that answers the information run and is pulled out at the first registration
# query of a signal reading.
echo on
latency 2
AT+CGMM => \r\nE3372\r\n\r\nOK\r\n
AT+CGSN => \r\n355555555555555\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 12,99\r\n\r\nOK\r\n
unplug AT+CREG?
* => \r\nERROR\r\n
