@echo off
rem Runs examples\update.cmd as a service team would: beside ZelkSvc.exe for
rem each exit status, then a copy alone, without and with the tool on PATH.
call :run update.cmd u bios fw.bin
call :run update.cmd u nonsense fw.bin
call :run update.cmd u bios "no such.bin"
set VEMTU_SIM_PC_TYPE_ERROR=5
call :run update.cmd u zelk /b
set VEMTU_SIM_PC_TYPE_ERROR=
set "ZELKSVC_LOG=no\such\folder\update.log"
call :run alone\update.cmd u bios fw.bin
set "ZELKSVC_LOG="
set "PATH=%CD%;%PATH%"
call :run alone\update.cmd u kcf fw.bin
echo --- update.log
type update.log
echo --- alone\update.log
type alone\update.log
goto :eof

:run
echo $ %*
rem Through cmd /c: wine's call hands back 1 for any non-zero exit /b of a
rem called batch file.
cmd /c %*
echo [script exited with %ERRORLEVEL%]
goto :eof
