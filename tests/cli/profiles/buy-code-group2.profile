# A stick of the second buy-code model list (E3531s-1): model and versions answered, the rest
# ERROR.
echo on
latency 3
AT+CGMM => \r\nE3531s-1\r\n\r\nOK\r\n
AT^FHVER => \r\n^FHVER:"E3531s-1 21.318.01.00.00,CL1E3531SM"\r\n\r\nOK\r\n
* => \r\nERROR\r\n
