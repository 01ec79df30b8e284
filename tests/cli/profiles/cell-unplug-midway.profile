# An LTE module pulled out when `cell` sets the registration report to mode 2: nothing can be
# set back, and `cell` must say so.
echo on
latency 3
AT+CEREG? => \r\n+CEREG: 1,1\r\n\r\nOK\r\n
unplug AT+CEREG=2
* => \r\nERROR\r\n
