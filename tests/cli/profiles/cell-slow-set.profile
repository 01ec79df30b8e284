# An LTE module slow to take the registration report mode (1.5 s), so that a test can stop
# `cell` while the mode is changed and see it set back; unsolicited reports arrive with the
# set command's reply.
echo on
latency 3
AT+CEREG? => \r\n+CEREG: 1,1\r\n\r\nOK\r\n
AT+CEREG=2 => {pause 1500}\r\nOK\r\n\r\n+CEREG: 1,"1A2B","0A2B3C4",7\r\n
AT+CEREG=1 => \r\nOK\r\n
* => \r\nERROR\r\n
