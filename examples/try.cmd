@echo off
rem Tries balloon.exe on the bundled example as the host runs it: copies example\QVC_TEMP.TXT
rem into a scratch folder, runs "balloon.exe -n5 -y1" there, prints its exit status and the
rem command file that the host would read back, and draws it into preview.svg next to it, its
rem text as high as the example's text style says. It ends with "pause", so that the window
rem of a double-click stays open until a key is pressed; without console input it goes on.
setlocal
set "here=%~dp0"
set "work=%TEMP%\balloon-try"
set status=1
if exist "%work%" rmdir /s /q "%work%"
mkdir "%work%"
if errorlevel 1 goto end
copy /y "%here%example\QVC_TEMP.TXT" "%work%\QVC_TEMP.TXT" > nul
if errorlevel 1 goto end
pushd "%work%"
"%here%balloon.exe" -n5 -y1
set status=%errorlevel%
echo balloon.exe -n5 -y1: exit status %status%
echo %work%\QVC_TEMP.TXT (Shift_JIS) now reads:
type QVC_TEMP.TXT
"%here%balloon-preview.exe" --host "%here%example\QVC_TEMP.TXT" -o preview.svg && echo The picture of it: %work%\preview.svg
popd
:end
pause
exit /b %status%
