@echo off
rem SPDX-License-Identifier: MIT
rem install-ftes-charts.cmd: installs ftes-charts for one station and schedules it, in one step.
rem Run it as administrator from the unzipped folder. It copies the program into
rem "%ProgramFiles%\ftes-charts", makes the folders that are missing, writes varnel.ini if
rem there is none, gives the task's account (LOCAL SERVICE, or the one given) the rights a run
rem needs and no more, creates the tasks, checks the station as the task will see it and says
rem what to do next. /uninstall removes the tasks and the rights it gave, and the program; it
rem leaves every file of the station. Either can be run again: it does nothing twice.
rem   install-ftes-charts [/station FOLDER] [/base FOLDER] [/data FOLDER] [/web FOLDER]
rem                       [/live] [/account ACCOUNT]
rem   install-ftes-charts /check       check the station again, as the task will see it
rem   install-ftes-charts /uninstall
rem What is not given is asked, with a default. Each step is followed by its own test of
rem what it did ("if errorlevel" after a program, or the file or folder it made): not by "||",
rem which not every cmd honours. Text is looked for with find, whose answer every cmd gives.
rem The record of what was done, %ProgramData%\ftes-charts\installed.txt, holds one line per
rem thing, its kind and its name each ended by a question mark, which no name can hold:
rem "account?*S-1-5-19?", "station?C:\ionosonde?", "grant?C:\ionosonde\base?", "task?ftes-charts?".
setlocal enableextensions disabledelayedexpansion
for /f "tokens=2 delims=:." %%c in ('chcp') do set "FTES_CP=%%c"
rem Names are read and written in UTF-8, whatever the console's code page.
chcp 65001 >nul

set "HERE=%~dp0"
set "PROGDIR=%ProgramFiles%\ftes-charts"
set "STATEDIR=%ProgramData%\ftes-charts"
set "RECORD=%ProgramData%\ftes-charts\installed.txt"
set "MODE=install"
set "STATION="
set "BASE="
set "DATA="
set "WEB="
set "LIVE="
set "ACCOUNT="

:args
if "%~1"=="" goto parsed
if "%~1"=="/?" goto usage
if /i "%~1"=="/help" goto usage
if /i "%~1"=="/uninstall" goto opt_uninstall
if /i "%~1"=="/check" goto opt_check
if /i "%~1"=="/live" goto opt_live
if /i "%~1"=="/station" goto opt_station
if /i "%~1"=="/base" goto opt_base
if /i "%~1"=="/data" goto opt_data
if /i "%~1"=="/web" goto opt_web
if /i "%~1"=="/account" goto opt_account
echo install-ftes-charts: unknown argument "%~1"
echo try install-ftes-charts /?
set "STATUS=2"
goto end
:opt_uninstall
set "MODE=uninstall"
shift
goto args
:opt_check
set "MODE=check"
shift
goto args
:opt_live
set "LIVE=yes"
shift
goto args
:opt_station
set "STATION=%~2"
shift
shift
goto args
:opt_base
set "BASE=%~2"
shift
shift
goto args
:opt_data
set "DATA=%~2"
shift
shift
goto args
:opt_web
set "WEB=%~2"
shift
shift
goto args
:opt_account
set "ACCOUNT=%~2"
shift
shift
goto args

:usage
echo install-ftes-charts: installs ftes-charts for one station and schedules it.
echo   install-ftes-charts [/station FOLDER] [/base FOLDER] [/data FOLDER] [/web FOLDER]
echo                       [/live] [/account ACCOUNT]
echo   install-ftes-charts /check
echo   install-ftes-charts /uninstall
echo /station   the station folder, where varnel.ini is (default C:\ionosonde)
echo /base      the base folder: forecasts, the archive (default STATION\base)
echo /data      the folder of the sounding files (default STATION\data)
echo /web       the folder of the charts for the web (default C:\inetpub\wwwroot\ftes)
echo /live      also a run every 10 minutes, all day, beside the daily one at 00:10
echo /account   the account the task runs as, for soundings on a network share
echo            (default LOCAL SERVICE); Task Scheduler asks for its password
echo /check     check the station again as the task will see it
echo /uninstall remove the tasks, the rights given and the program; not the station
echo What is not given is asked. Run it as administrator.
set "STATUS=0"
goto end

:parsed
rem Only an administrator may create tasks and give rights.
net session >nul 2>&1
if errorlevel 1 goto not_admin
if "%MODE%"=="uninstall" goto uninstall
if "%MODE%"=="check" goto check_again

rem The station's folders: given, asked, or the defaults.
if not defined STATION set /p "STATION=Station folder, where varnel.ini is [C:\ionosonde]: "
if not defined STATION set "STATION=C:\ionosonde"
call :no_final_backslash STATION
if not defined BASE set /p "BASE=Base folder: forecasts and the archive [%STATION%\base]: "
if not defined BASE set "BASE=%STATION%\base"
call :no_final_backslash BASE
if not defined DATA set /p "DATA=Folder of the sounding files [%STATION%\data]: "
if not defined DATA set "DATA=%STATION%\data"
call :no_final_backslash DATA
if not defined WEB set /p "WEB=Folder of the charts for the web [C:\inetpub\wwwroot\ftes]: "
if not defined WEB set "WEB=C:\inetpub\wwwroot\ftes"
call :no_final_backslash WEB
if defined LIVE goto cadence_known
set "CADENCE="
set /p "CADENCE=Also a run every 10 minutes, all day? (y/n) [n]: "
if /i "%CADENCE%"=="y" set "LIVE=yes"
:cadence_known
for %%v in (STATION BASE DATA WEB ACCOUNT) do call :refuse_odd %%v
if defined ODD goto odd_name
set "WHO=*S-1-5-19"
set "WHONAME=LOCAL SERVICE"
if defined ACCOUNT set "WHO=%ACCOUNT%"
if defined ACCOUNT set "WHONAME=%ACCOUNT%"

echo == ftes-charts for the station in %STATION%
rem The program, in one place: replacing it is how a new version comes, the tasks unchanged.
call :folder "%PROGDIR%"
if errorlevel 1 goto failed
if /i "%HERE%"=="%PROGDIR%\" goto copied
for %%f in (ftes-charts.exe install-ftes-charts.cmd ftes-charts-task.xml ftes-charts-task.js ftes-charts.html README-Windows.txt LICENSE.txt index.html archive.html) do copy /y "%HERE%%%f" "%PROGDIR%\" >nul
fc /b "%HERE%ftes-charts.exe" "%PROGDIR%\ftes-charts.exe" >nul 2>&1
if errorlevel 1 goto failed
if not exist "%PROGDIR%\ftes-charts-task.js" goto failed
:copied
echo program:   %PROGDIR%\ftes-charts.exe
call :folder "%STATEDIR%"
if errorlevel 1 goto failed
rem One station per PC: the record says which, and with which account.
if not exist "%RECORD%" goto new_record
set "RECORDED="
for /f "usebackq tokens=1,2 delims=?" %%a in ("%RECORD%") do if "%%a"=="station" set "RECORDED=%%b"
if /i not "%RECORDED%"=="%STATION%" goto other_station
goto recorded
:new_record
>"%RECORD%" echo account?%WHO%?
>>"%RECORD%" echo station?%STATION%?
:recorded

rem The folders, with the archive inside the base folder; none is ever emptied.
for %%d in ("%STATION%" "%BASE%" "%BASE%\previous_ftEs_plots" "%DATA%" "%WEB%") do call :folder "%%~d"
for %%d in ("%STATION%" "%BASE%" "%BASE%\previous_ftEs_plots" "%DATA%" "%WEB%") do if not exist "%%~d\" goto failed
if exist "%STATION%\varnel.ini" goto varnel_kept
>"%STATION%\varnel.ini" echo Base folder: forecast files, temporary BMPs and the archive previous_ftEs_plots\
>>"%STATION%\varnel.ini" echo %BASE%\
>>"%STATION%\varnel.ini" echo Sounding files of the station
>>"%STATION%\varnel.ini" echo %DATA%\
>>"%STATION%\varnel.ini" echo Charts published on the web
>>"%STATION%\varnel.ini" echo %WEB%\
echo written:   %STATION%\varnel.ini
goto varnel_done
:varnel_kept
echo kept:      %STATION%\varnel.ini, as it is
:varnel_done
rem The logs of the runs and of the check, beside varnel.ini; the web pages beside the charts.
if not exist "%STATION%\ftes-charts.log" type nul >"%STATION%\ftes-charts.log"
if not exist "%STATION%\ftes-charts-check.log" type nul >"%STATION%\ftes-charts-check.log"
if not exist "%WEB%\index.html" copy /y "%PROGDIR%\index.html" "%WEB%\" >nul
if not exist "%WEB%\archive.html" copy /y "%PROGDIR%\archive.html" "%WEB%\" >nul

rem The rights a run needs: read the station and its soundings, change the base folder (the
rem archive is in it), the web folder and the two logs.
call :grant "%STATION%" "(OI)(CI)RX"
if errorlevel 1 goto failed
call :grant "%DATA%" "(OI)(CI)RX"
if errorlevel 1 goto failed
call :grant "%BASE%" "(OI)(CI)M"
if errorlevel 1 goto failed
call :grant "%WEB%" "(OI)(CI)M"
if errorlevel 1 goto failed
call :grant "%STATION%\ftes-charts.log" "M"
if errorlevel 1 goto failed
call :grant "%STATION%\ftes-charts-check.log" "M"
if errorlevel 1 goto failed

rem The tasks: daily at 00:10 (a day missed while the PC was off is made up), and for a live
rem station a run every 10 minutes from 00:00 for the whole day, every day.
call :task "ftes-charts" "00:10" "--manifest --log ftes-charts.log" ""
if errorlevel 1 goto failed
echo task:      "ftes-charts", every day at 00:10
if not defined LIVE goto tasks_done
call :task "ftes-charts live" "00:00" "--manifest --log ftes-charts.log" live
if errorlevel 1 goto failed
echo task:      "ftes-charts live", every 10 minutes, all day
:tasks_done
call :check_as_task
set "STATUS=%errorlevel%"
echo.
echo What next:
echo - the ionosonde writes its sounding files into %DATA%\, and the monthly
echo   forecast files (such as 012025.txt) go into %BASE%\;
echo - publish %WEB%\ with the web server (IIS: a virtual directory; index.html
echo   and archive.html are there), and %BASE%\previous_ftEs_plots\ as
echo   previous_ftEs_plots under it for the archive page;
echo - to run at once: schtasks /run /tn ftes-charts, then read %STATION%\ftes-charts.log.
if not "%STATUS%"=="0" echo - fix what the check found, then: install-ftes-charts /check
goto end

:check_again
if not exist "%RECORD%" goto not_installed
call :read_record
call :check_as_task
set "STATUS=%errorlevel%"
goto end

rem The check, run once as a task of the task's account, so that it sees what the task will:
rem its findings go to ftes-charts-check.log, shown here.
:check_as_task
if not defined STATION goto :eof
set "CHECKLOG=%STATION%\ftes-charts-check.log"
type nul >"%CHECKLOG%"
call :task "ftes-charts check" "00:00" "--check --log ftes-charts-check.log" ""
if errorlevel 1 exit /b 1
schtasks /run /tn "ftes-charts check" >nul
if errorlevel 1 exit /b 1
echo == the check, as %WHONAME% (up to two minutes)
set /a WAITED=0
:check_wait
find "no problem found" "%CHECKLOG%" >nul 2>&1
if not errorlevel 1 goto check_done
find "problem(s) found" "%CHECKLOG%" >nul 2>&1
if not errorlevel 1 goto check_done
if %WAITED% geq 120 goto check_late
ping -n 2 127.0.0.1 >nul
set /a WAITED+=1
goto check_wait
:check_late
schtasks /delete /tn "ftes-charts check" /f >nul 2>&1
echo The check did not finish within two minutes: see Task Scheduler's history of
echo "ftes-charts check", and %CHECKLOG%.
exit /b 1
:check_done
schtasks /delete /tn "ftes-charts check" /f >nul 2>&1
type "%CHECKLOG%"
find "no problem found" "%CHECKLOG%" >nul 2>&1
if errorlevel 1 exit /b 1
exit /b 0

:uninstall
if not exist "%RECORD%" goto nothing_to_remove
echo == removing ftes-charts
for %%t in ("ftes-charts" "ftes-charts live" "ftes-charts check") do schtasks /delete /tn %%t /f >nul 2>&1
call :read_record
for /f "usebackq tokens=1,2 delims=?" %%a in ("%RECORD%") do if "%%a"=="grant" call :ungrant "%%b"
for %%f in (ftes-charts.exe ftes-charts-task.xml ftes-charts-task.js ftes-charts.html README-Windows.txt LICENSE.txt index.html archive.html) do if exist "%PROGDIR%\%%f" del /q "%PROGDIR%\%%f"
del /q "%RECORD%"
rmdir "%STATEDIR%" 2>nul
rem This script itself goes last, unless it is the one running.
if /i not "%HERE%"=="%PROGDIR%\" if exist "%PROGDIR%\install-ftes-charts.cmd" del /q "%PROGDIR%\install-ftes-charts.cmd"
rmdir "%PROGDIR%" 2>nul
echo removed:   the tasks, the rights given, %PROGDIR%
echo The station's folders, its varnel.ini, its logs and its charts are as they were.
set "STATUS=0"
goto end
:nothing_to_remove
echo ftes-charts is not installed here (no %RECORD%): nothing to remove.
set "STATUS=0"
goto end

rem ---- helpers

:no_final_backslash
call set "VALUE=%%%1%%"
if "%VALUE:~-1%"=="\" set "VALUE=%VALUE:~0,-1%"
if "%VALUE:~-1%"=="/" set "VALUE=%VALUE:~0,-1%"
set "%1=%VALUE%"
goto :eof

rem A name with a character the task's XML or this script cannot carry.
:refuse_odd
call set "VALUE=%%%1%%"
if not defined VALUE goto :eof
set "PLAIN=%VALUE:!=%"
set "PLAIN=%PLAIN:&=%"
set "PLAIN=%PLAIN:<=%"
set "PLAIN=%PLAIN:>=%"
if not "%PLAIN%"=="%VALUE%" set "ODD=%VALUE%"
goto :eof

:folder
if exist "%~1\" exit /b 0
mkdir "%~1"
if not exist "%~1\" exit /b 1
echo made:      %~1
exit /b 0

rem A right given to the task's account on a folder or a file, unless it has one there
rem already (then it was not given here, and is never taken away here); each one given is
rem written down, for /uninstall.
:grant
icacls "%~1" 2>nul | find "%WHONAME%:" >nul
if not errorlevel 1 exit /b 0
icacls "%~1" /grant "%WHO%:%~2" >nul
if errorlevel 1 exit /b 1
find "grant?%~1?" "%RECORD%" >nul 2>&1
if errorlevel 1 >>"%RECORD%" echo grant?%~1?
echo right:     %WHONAME% %~2 on %~1
exit /b 0

:ungrant
icacls "%~1" /remove:g "%WHO%" >nul 2>&1
goto :eof

:read_record
for /f "usebackq tokens=1,2 delims=?" %%a in ("%RECORD%") do if "%%a"=="account" set "WHO=%%b"
for /f "usebackq tokens=1,2 delims=?" %%a in ("%RECORD%") do if "%%a"=="station" set "STATION=%%b"
set "WHONAME=%WHO%"
set "ACCOUNT=%WHO%"
if "%WHO%"=="*S-1-5-19" set "WHONAME=LOCAL SERVICE"
if "%WHO%"=="*S-1-5-19" set "ACCOUNT="
goto :eof

rem A task from the shipped definition, with the program, the station, the arguments, the
rem time of the first run and, for the live task, its repetition put in by ftes-charts-task.js.
:task
set "T_NAME=%~1"
set "T_FILE=%TEMP%\ftes-charts-task-%RANDOM%.xml"
if exist "%T_FILE%" del /q "%T_FILE%"
cscript //nologo "%PROGDIR%\ftes-charts-task.js" "%PROGDIR%\ftes-charts-task.xml" "%T_FILE%" "%PROGDIR%\ftes-charts.exe" "%STATION%" "%~3" "%~2" %~4
if errorlevel 1 exit /b 1
if not exist "%T_FILE%" exit /b 1
if defined ACCOUNT goto task_account
schtasks /create /tn "%T_NAME%" /xml "%T_FILE%" /f >nul
if errorlevel 1 goto task_failed
goto task_made
:task_account
schtasks /create /tn "%T_NAME%" /xml "%T_FILE%" /ru "%ACCOUNT%" /rp * /f
if errorlevel 1 goto task_failed
:task_made
del /q "%T_FILE%"
if "%T_NAME%"=="ftes-charts check" exit /b 0
find "task?%T_NAME%?" "%RECORD%" >nul 2>&1
if errorlevel 1 >>"%RECORD%" echo task?%T_NAME%?
exit /b 0
:task_failed
del /q "%T_FILE%"
exit /b 1

:not_admin
echo install-ftes-charts must be run as administrator: right-click Command Prompt,
echo choose "Run as administrator", and run it again from this folder.
set "STATUS=1"
goto end
:other_station
echo ftes-charts is installed here for the station in %RECORDED%: run
echo install-ftes-charts /uninstall first to install it for %STATION%.
set "STATUS=1"
goto end
:not_installed
echo ftes-charts is not installed here: run install-ftes-charts first.
set "STATUS=1"
goto end
:odd_name
echo install-ftes-charts: the name "%ODD%" has a character it cannot carry (! ^& ^< ^>):
echo rename that folder, or choose another.
set "STATUS=2"
goto end
:failed
echo install-ftes-charts: that step failed (see above); nothing after it was done.
echo Fix it and run install-ftes-charts again: what is done already is kept as it is.
set "STATUS=1"
goto end

:end
if defined FTES_CP chcp %FTES_CP% >nul
exit /b %STATUS%
