# An LTE module that stops answering the second read of +CEREG?, right after `cell` has set
# the registration report to mode 2, and answers again when the mode is set back.
echo on
latency 3
AT+CEREG? => {cycle \r\n+CEREG: 0,1\r\n\r\nOK\r\n | <silent>}
AT+CEREG=2 => \r\nOK\r\n
AT+CEREG=0 => \r\nOK\r\n
* => \r\nERROR\r\n
