# A responsive modem with a few replies shaped to exercise the read-end rules.
echo off
latency 5
AT+CGMM => \r\nE173\r\n\r\nOK\r\n
AT => \r\nOK\r\n
# the tail comes 200 ms after the head: more than the 50 ms that end a read
AT+SPLIT => \r\nHEAD{pause 200}TAIL\r\n\r\nOK\r\n
# more than one read can take
AT+FLOOD => {repeat 70000 F}
AT+LONG => \r\n{repeat 100 0123456789}\r\n\r\nOK\r\n
# a byte every 40 ms for about 1.6 s: the read never falls silent for 50 ms
AT+DRIP => {repeat 40 .{pause 40}}\r\nOK\r\n
* => \r\nERROR\r\n
