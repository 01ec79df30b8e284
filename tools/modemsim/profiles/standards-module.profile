# An LTE module that knows only the standard commands of 3GPP TS 27.007 (+CESQ, +CEREG,
# +COPS), with unquoted, space-padded fields as some firmware writes them, the registration
# report in mode 0 and the operator in its long-name format. Today's profile format has no
# settings, so the two reads of +CEREG? and of +COPS? that `cell` makes around its set
# commands are played as cycles: first the mode the modem starts in, then the form the set
# command asks for. Operator made up.
echo on
latency 5
ATI => \r\nKorvant\r\nKV-S10\r\n\r\nOK\r\n
AT+CPIN? => \r\n+CPIN: READY\r\n\r\nOK\r\n
AT+CFUN? => \r\n+CFUN: 1\r\n\r\nOK\r\n
AT+CEREG? => {cycle \r\n+CEREG: 0, 1\r\n\r\nOK\r\n | \r\n+CEREG: 2, 1,  2F1,  1A2D001, 7\r\n\r\nOK\r\n}
AT+CEREG=2 => \r\nOK\r\n
AT+CEREG=0 => \r\nOK\r\n
AT+COPS? => {cycle \r\n+COPS: 0,0,"Zentra Mobile",7\r\n\r\nOK\r\n | \r\n+COPS: 0,2,"25099",7\r\n\r\nOK\r\n}
AT+COPS=3,2 => \r\nOK\r\n
AT+COPS=3,0 => \r\nOK\r\n
AT+CESQ => \r\n+CESQ:  99, 99, 255, 255,  18,  38\r\n\r\nOK\r\n
AT+CSQ => \r\n+CSQ: 14,99\r\n\r\nOK\r\n
* => \r\nERROR\r\n
