[BOOT]
C:\
!a
[AC-ON] x
d
[STOP]
ÉA
