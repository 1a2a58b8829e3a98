@echo off
rem Updates the way a roll-out script does: run ZelkSvc, branch on its exit code.
call :update u bios fw.bin
call :update u bios nothere.bin
call :update u nonsense fw.bin
call :update u zelk
set VEMTU_SIM_PC_TYPE_ERROR=5
call :update u zelk
set VEMTU_SIM_PC_TYPE_ERROR=
goto :eof

:update
ZelkSvc.exe %* >nul 2>nul
echo %* exited with %ERRORLEVEL%
if errorlevel 4 (echo unexpected exit code) else if errorlevel 3 (echo device could not be read) else if errorlevel 2 (echo download failed) else if errorlevel 1 (echo command line rejected) else (echo updated)
goto :eof
