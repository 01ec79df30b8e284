# A responsive modem with a few replies shaped to exercise the read-end rules.
echo off
latency 5
AT+CGMM => \r\nE173\r\n\r\nOK\r\n
AT => \r\nOK\r\n
# the tail comes a second after the head: far more than the 50 ms that end a read, so the
# reader has surely stopped before it arrives, even on a loaded machine
AT+SPLIT => \r\nHEAD{pause 1000}TAIL\r\n\r\nOK\r\n
# the 50 ms silence rule from both sides: a 100 ms pause ends a read, a 30 ms one does not
AT+GAP100 => \r\nHEAD{pause 100}TAIL\r\n\r\nOK\r\n
AT+GAP30 => \r\nHEAD{pause 30}TAIL\r\n\r\nOK\r\n
# more than one read can take
AT+FLOOD => {repeat 70000 F}
AT+LONG => \r\n{repeat 100 0123456789}\r\n\r\nOK\r\n
# a byte every 10 ms for about 1.6 s: the read never falls silent for 50 ms, even when the
# machine is busy and the simulator wakes late
AT+DRIP => {repeat 160 .{pause 10}}\r\nOK\r\n
# XON and XOFF inside a reply are data, not flow control
AT+XONXOFF => \r\nA\x13B\x11C\x13\r\n\r\nOK\r\n
* => \r\nERROR\r\n
