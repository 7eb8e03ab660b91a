; Programs for the example trace.
[AC-OFF]
C:\TOOLS
!notify.exe "running on the battery"
[BAT-LOW]
C:\TOOLS
save-work.exe
[SUSPEND]
C:\
sync.exe
