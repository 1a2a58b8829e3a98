@echo off
rem update.cmd - run one ZelkSvc update, log its result, and pass its exit
rem status on to the caller.
rem
rem Usage:  update.cmd <action> <datatype> [<file>] [/b]
rem         e.g.  update.cmd u bios bios_v2.bin
rem               update.cmd u zelk
rem The arguments go to ZelkSvc.exe unchanged; see ZelkSvc(1).
rem
rem Which ZelkSvc.exe: the one in this script's own folder when there is one
rem (copy the script next to the tool, e.g. on a service stick), otherwise
rem the first ZelkSvc.exe on PATH.
rem
rem The log: one line is appended per run, with the date, time, this
rem computer's name, the command and its result, to update.log in this
rem script's folder, or to the file named by ZELKSVC_LOG. A log whose folder
rem is missing is reported, but the update's result still stands.
rem
rem Exit status: ZelkSvc's own, so callers can branch on it as well:
rem   0  updated
rem   1  command line rejected, or ZELK file name not known for this PC type:
rem      fix the command or the target list, do not retry
rem   2  the download failed: the component may or may not still hold its
rem      previous firmware; check it before retrying
rem   3  the PC type or device ID could not be read
rem   anything else is unexpected (9009: ZelkSvc.exe not found)
rem The status is compared as an exact number: "if errorlevel N" holds for N
rem and above and would let a negative status, such as the one Windows gives
rem a program ended by Ctrl+C, pass for success.

setlocal
rem A variable named ERRORLEVEL would hide the real status.
set "ERRORLEVEL="

set "tool=%~dp0ZelkSvc.exe"
if not exist "%tool%" (
    set "tool="
    for %%P in (ZelkSvc.exe) do set "tool=%%~$PATH:P"
)
if defined ZELKSVC_LOG (set "log=%ZELKSVC_LOG%") else set "log=%~dp0update.log"

if not defined tool goto :not_found
"%tool%" %*
set "status=%ERRORLEVEL%"
goto :result

:not_found
1>&2 echo update.cmd: ZelkSvc.exe is neither beside this script nor on PATH
set "status=9009"

:result
if "%status%"=="0" (set "result=updated" & goto :log)
if "%status%"=="1" (set "result=command line rejected or PC type not supported" & goto :log)
if "%status%"=="2" (set "result=download failed" & goto :log)
if "%status%"=="3" (set "result=device could not be read" & goto :log)
if "%status%"=="9009" (set "result=unexpected: ZelkSvc.exe not found" & goto :log)
set "result=unexpected exit status"

:log
echo ZelkSvc %*: exit %status%, %result%
for %%L in ("%log%") do set "logdir=%%~dpL"
if not exist "%logdir%" (
    1>&2 echo update.cmd: cannot append to the log %log%: no such folder
    goto :done
)
>>"%log%" echo %DATE% %TIME% %COMPUTERNAME% ZelkSvc %*: exit %status%, %result%

:done
exit /b %status%
