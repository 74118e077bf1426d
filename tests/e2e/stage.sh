# Sets the stage for a real run of ZelbarSetup.exe in a Wine sandbox: a
# display, the fixture Access registered in the prefix, the product archive
# built from our extractor stub, the local download server and the
# settings.ini beside the program. Sourced by tests/e2e/run-e2e and tools/demo,
# which set ZELBAR_SOURCE (the source tree), ZELBAR_BINARY (the Windows build
# tree) and ZELBAR_SANDBOX (the sandbox's folder) first. Everything started
# here is stopped by stage_stop, by process id.

# shellcheck source=../../tools/lib/display.sh
. "$ZELBAR_SOURCE/tools/lib/display.sh"

STAGE_SERVER_PID=""
STAGE_PORT=""
STAGE_PREFIX="$ZELBAR_SANDBOX/prefix"
STAGE_FIXTURES="$ZELBAR_BINARY/tests/fixtures"
# Page 1 finds Access where Office 2003 puts it; the fixture program stands in.
STAGE_ACCESS_WIN='C:\Program Files\Microsoft Office\OFFICE11\MSACCESS.EXE'

stage_fail() { echo "stage: FAILED: $*" >&2; exit 1; }
stage_wine() { "$ZELBAR_SOURCE/tools/wine-run" "$@"; }
stage_display() { display_start || stage_fail "could not start Xvfb"; }

# "/a/b c" -> "Z:\a\b c", the path as the programs in the sandbox see it.
stage_winpath() {
    local unix
    unix="$(realpath -m "$1")"
    printf 'Z:%s' "${unix//\//\\}"
}

stage_stop() {
    if [ -n "$STAGE_SERVER_PID" ]; then
        kill "$STAGE_SERVER_PID" 2>/dev/null || true
        wait "$STAGE_SERVER_PID" 2>/dev/null || true
        STAGE_SERVER_PID=""
    fi
    # The sandbox's Wine processes end with the programs we started in it.
    WINEPREFIX="$STAGE_PREFIX" timeout 30 wineserver -w >/dev/null 2>&1 || true
    display_stop
}

# The sandbox user's profile folder on the Linux side, and its shortcut folders.
stage_profile() {
    local desktop
    for desktop in "$STAGE_PREFIX"/drive_c/users/*/Desktop; do
        [[ "$desktop" == */Public/Desktop ]] || { echo "${desktop%/Desktop}"; return 0; }
    done
    stage_fail "no user profile in $STAGE_PREFIX"
}
stage_desktop() { echo "$(stage_profile)/Desktop"; }
stage_programs() { echo "$(stage_profile)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"; }

# Initialises the prefix, puts the fixture Access in place and registers it as
# Access 2003, the way Office does. ".html" documents open with
# tests/fixtures/exit_with, which writes the document into the file RECORD,
# so that the quick-start page is seen being opened and never reaches a
# browser outside the sandbox.
stage_prefix() {
    local access_dir="$STAGE_PREFIX/drive_c/Program Files/Microsoft Office/OFFICE11"
    stage_wine cmd /c exit 0 >/dev/null 2>&1 || stage_fail "the Wine sandbox does not start"
    mkdir -p "$access_dir"
    cp "$STAGE_FIXTURES/fixture_access/fixture_access.exe" "$access_dir/MSACCESS.EXE"
    local access="${STAGE_ACCESS_WIN//\\/\\\\}" recorder record
    recorder="$(stage_winpath "$STAGE_FIXTURES/exit_with/exit_with.exe")"
    recorder="${recorder//\\/\\\\}"
    record="$(stage_winpath "$1")"
    record="${record//\\/\\\\}"
    sed 's/$/\r/' >"$ZELBAR_SANDBOX/stage.reg" <<EOF
REGEDIT4

[HKEY_CLASSES_ROOT\Access.Application]
@="Microsoft Access Application"
[HKEY_CLASSES_ROOT\Access.Application\CurVer]
@="Access.Application.11"
[HKEY_CLASSES_ROOT\Access.Application.11]
@="Microsoft Office Access Application"
[HKEY_CLASSES_ROOT\Access.Application.11\shell\open\command]
@="\"$access\" /NOSTARTUP \"%1\""
[HKEY_CLASSES_ROOT\.html]
@="ZelbarStage.Schnellstart"
[HKEY_CLASSES_ROOT\ZelbarStage.Schnellstart\shell\open\command]
@="\"$recorder\" 0 0 \"$record\" \"%1\""
EOF
    stage_wine regedit /S "$(stage_winpath "$ZELBAR_SANDBOX/stage.reg")" >/dev/null 2>&1 ||
        stage_fail "the registry entries could not be imported"
}

# What an earlier run left in the sandbox: the installation, the shortcuts,
# the saved setting.
stage_clean_product() {
    rm -rf "$STAGE_PREFIX/drive_c/Zelbar" "$(stage_desktop)/Zelbar.lnk" "$(stage_programs)/Zelbar"
    stage_wine reg delete 'HKCU\Software\VB and VBA Program Settings\Zelbar-Setup' /f \
        >/dev/null 2>&1 || true
}

# Packs the product folder CONTENT and Update.exe into the self-extracting
# archive OUT; what it holds stays in archive-content beside OUT's folder.
stage_archive() {
    local out="$1" staged
    staged="$(dirname "$(dirname "$out")")/archive-content"
    rm -rf "$staged"
    mkdir -p "$staged"
    cp -r "$2"/. "$staged/"
    cp "$STAGE_FIXTURES/exit_with/exit_with.exe" "$staged/Update.exe"
    python3 "$ZELBAR_SOURCE/tests/fixtures/extractor/pack.py" \
        "$STAGE_FIXTURES/extractor/zelbar_extractor.exe" "$out" "$staged" ||
        stage_fail "the archive could not be packed"
}

# Starts the download server with the folder SERVED (its files as
# /files/<name>); sets STAGE_PORT.
stage_server() {
    local portfile
    portfile="$(dirname "$1")/server.port"
    rm -f "$portfile"
    python3 "$ZELBAR_SOURCE/tests/fixtures/server.py" --files "$1" --port-file "$portfile" \
        --idle 600 &
    STAGE_SERVER_PID=$!
    for _ in $(seq 1 300); do [ -s "$portfile" ] && break; sleep 0.1; done
    [ -s "$portfile" ] || stage_fail "the download server did not start"
    STAGE_PORT="$(cat "$portfile")"
}

# Writes settings.ini into APP (8-bit, CRLF) for the server and the archive's
# path there; page 1's messages name the versions the sandbox really has.
stage_settings() {
    local os_version
    os_version="$(stage_wine cmd /c ver 2>/dev/null | tr -d '\r' |
        grep -o '[0-9]\+\.[0-9]\+\.[0-9]\+' | head -n 1)"
    [ -n "$os_version" ] || stage_fail "the sandbox names no Windows version"
    iconv -f UTF-8 -t CP1252 <<EOF | sed 's/$/\r/' >"$1/settings.ini"
[SupportedAccessVersions]
Access.Application.11=Access 2003
Access.Application.16=Access 2016

[GetFileSize]
URL=http://127.0.0.1:$STAGE_PORT/size

[ProgramFile]
URL=http://127.0.0.1:$STAGE_PORT$2

[osVer_$os_version]
Meldung=Ihr Windows ($os_version) wird von Zelbar unterstützt.
Icon=OK
LinkInfo=
LinkSP=

[accessVer_11.0.6566.0]
Meldung=MS-Access 2003 wird von Zelbar unterstützt.
Icon=OK
LinkInfo=Hinweise zu Access 2003 finden Sie <a href#EQUAL#http://127.0.0.1/access2003.html>hier</a>.
LinkSP=

[Shortcuts]
Desktop=Zelbar
StartmenuFolder=Zelbar
StartmenuZelbar=Zelbar starten
StartmenuUpdate=Zelbar aktualisieren
StartmenuAnmeldung=Zelbar Anmeldung
StartmenuHistory=Versionshinweise
StartmenuSchnellstart=Schnellstart
EOF
}

# Starts the wizard from APP in the background; sets STAGE_WIZARD_PID.
stage_start_wizard() {
    stage_wine "$1/ZelbarSetup.exe" &
    STAGE_WIZARD_PID=$!
}

# Runs the driver along the road file; screenshots go into SHOTS, as PNG.
stage_drive() {
    local status=0 bmp
    mkdir -p "$2"
    stage_wine "$ZELBAR_BINARY/tests/e2e/zelbar_driver.exe" "$(stage_winpath "$1")" \
        "$(stage_winpath "$2")" 2>/dev/null || status=$?
    for bmp in "$2"/*.bmp; do
        [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
    return "$status"
}
