# Sets the stage for a real run of ZelbarSetup.exe in a Wine sandbox: a
# display, the fixture Access registered in the prefix, the product archive
# built from our extractor stub, the local download server and the
# settings.ini beside the program. Sourced by tests/e2e/run-e2e and tools/demo.
#
# The caller sets, before sourcing:
#   ZELBAR_SOURCE   the source tree
#   ZELBAR_BINARY   the Windows build tree
#   ZELBAR_SANDBOX  the sandbox folder (prefix and HOME) to use
# Everything started here is stopped by stage_stop, by process id.

STAGE_SERVER_PID=""
STAGE_PORT=""
STAGE_PREFIX="$ZELBAR_SANDBOX/prefix"
STAGE_WINE_RUN="$ZELBAR_SOURCE/tools/wine-run"
STAGE_TITLE="Zelbar LIVE Setup 11.0"
# Where page 1 finds Access: the fixture program under the name and in the
# folder where Office 2003 puts it.
STAGE_ACCESS_DIR="Program Files/Microsoft Office/OFFICE11"
STAGE_ACCESS_WIN='C:\Program Files\Microsoft Office\OFFICE11\MSACCESS.EXE'

stage_log() { echo "stage: $*"; }
stage_fail() { echo "stage: FAILED: $*" >&2; exit 1; }

# "/a/b c" -> "Z:\a\b c", the path as the programs in the sandbox see it.
stage_winpath() {
    local unix
    unix="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
    printf 'Z:%s' "${unix//\//\\}"
}

stage_wine() { "$STAGE_WINE_RUN" "$@"; }

# One X display for the wizard and the driver; a private Xvfb when there is none.
# shellcheck source=../../tools/lib/display.sh
. "$ZELBAR_SOURCE/tools/lib/display.sh"
stage_display() { display_start || stage_fail "could not start Xvfb"; }

stage_stop() {
    if [ -n "$STAGE_SERVER_PID" ]; then
        curl -s -m 2 "http://127.0.0.1:$STAGE_PORT/shutdown" >/dev/null 2>&1 || true
        kill "$STAGE_SERVER_PID" 2>/dev/null || true
        wait "$STAGE_SERVER_PID" 2>/dev/null || true
        STAGE_SERVER_PID=""
    fi
    # The sandbox's Wine processes end with the programs we started in it.
    WINEPREFIX="$STAGE_PREFIX" timeout 30 wineserver -w >/dev/null 2>&1 || true
    display_stop
}

# The folder of the sandbox user's profile (Desktop, AppData) on the Linux side.
stage_profile() {
    local dir
    for dir in "$STAGE_PREFIX"/drive_c/users/*/; do
        [ "$(basename "$dir")" = "Public" ] && continue
        [ -d "$dir/Desktop" ] && { echo "${dir%/}"; return 0; }
    done
    stage_fail "no user profile in $STAGE_PREFIX"
}
stage_desktop() { echo "$(stage_profile)/Desktop"; }
stage_programs() { echo "$(stage_profile)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"; }

# The operating-system version as the wizard's WMI query reports it.
stage_os_version() {
    stage_wine cmd /c ver 2>/dev/null | tr -d '\r' | grep -o '[0-9]\+\.[0-9]\+\.[0-9]\+' | head -n 1
}

# Initialises the prefix, puts the fixture Access in place and registers it as
# Access 2003, the way Office does. With a recorder given, .html documents
# open with tests/fixtures/exit_with, which writes the document into the file
# RECORD: so a test can see the quick-start page being opened.
stage_prefix() {
    local record="${1:-}"
    stage_wine cmd /c exit 0 >/dev/null 2>&1 || stage_fail "the Wine sandbox does not start"
    mkdir -p "$STAGE_PREFIX/drive_c/$STAGE_ACCESS_DIR"
    cp "$ZELBAR_BINARY/tests/fixtures/fixture_access/fixture_access.exe" \
        "$STAGE_PREFIX/drive_c/$STAGE_ACCESS_DIR/MSACCESS.EXE"

    local reg="$ZELBAR_SANDBOX/stage.reg" access="${STAGE_ACCESS_WIN//\\/\\\\}"
    {
        echo 'REGEDIT4'
        echo
        echo '[HKEY_CLASSES_ROOT\Access.Application]'
        echo '@="Microsoft Access Application"'
        echo '[HKEY_CLASSES_ROOT\Access.Application\CurVer]'
        echo '@="Access.Application.11"'
        echo '[HKEY_CLASSES_ROOT\Access.Application.11]'
        echo '@="Microsoft Office Access Application"'
        echo '[HKEY_CLASSES_ROOT\Access.Application.11\shell\open\command]'
        echo "@=\"\\\"$access\\\" /NOSTARTUP \\\"%1\\\"\""
        if [ -n "$record" ]; then
            local recorder
            recorder="$(stage_winpath "$ZELBAR_BINARY/tests/fixtures/exit_with/exit_with.exe")"
            record="$(stage_winpath "$record")"
            echo '[HKEY_CLASSES_ROOT\.html]'
            echo '@="ZelbarStage.Schnellstart"'
            echo '[HKEY_CLASSES_ROOT\ZelbarStage.Schnellstart\shell\open\command]'
            echo "@=\"\\\"${recorder//\\/\\\\}\\\" 0 0 \\\"${record//\\/\\\\}\\\" \\\"%1\\\"\""
        fi
    } | sed 's/$/\r/' >"$reg"
    stage_wine regedit /S "$(stage_winpath "$reg")" >/dev/null 2>&1 ||
        stage_fail "the registry entries could not be imported"
}

# What an earlier run left in the sandbox: the installation, the shortcuts,
# the saved setting.
stage_clean_product() {
    rm -rf "$STAGE_PREFIX/drive_c/Zelbar"
    rm -f "$(stage_desktop)/Zelbar.lnk"
    rm -rf "$(stage_programs)/Zelbar"
    stage_wine reg delete 'HKCU\Software\VB and VBA Program Settings\Zelbar-Setup' /f \
        >/dev/null 2>&1 || true
}

# Packs the product folder CONTENT (plus Update.exe) into the self-extracting
# archive OUT with the extractor stub's packer.
stage_archive() {
    local out="$1" content="$2" staging
    staging="$(dirname "$(dirname "$out")")/archive-content"
    rm -rf "$staging"
    mkdir -p "$staging"
    cp -r "$content"/. "$staging/"
    cp "$ZELBAR_BINARY/tests/fixtures/exit_with/exit_with.exe" "$staging/Update.exe"
    stage_pack "$out" "$staging"
}

# Packs the folder CONTENT into the self-extracting archive OUT.
stage_pack() {
    local out="$1" content="$2"
    python3 "$ZELBAR_SOURCE/tests/fixtures/extractor/pack.py" \
        --stub "$ZELBAR_BINARY/tests/fixtures/extractor/zelbar_extractor.exe" \
        --out "$out" "$content=." >/dev/null || stage_fail "the archive could not be packed"
}

# The server path of a file of the served folder.
stage_archive_path() { printf '/files/%s' "$1"; }

# Starts the download server with the folder SERVED (its files under
# /files/<name>, every fault mode of server.py besides); sets STAGE_PORT.
stage_server() {
    local served="$1" log="$2" portfile
    portfile="$(dirname "$log")/server.port"
    rm -f "$portfile"
    mkdir -p "$served"
    python3 "$ZELBAR_SOURCE/tests/fixtures/extractor/archive_server.py" --files "$served" \
        --port-file "$portfile" --log "$log" --idle 600 &
    STAGE_SERVER_PID=$!
    for _ in $(seq 1 100); do [ -s "$portfile" ] && break; sleep 0.1; done
    [ -s "$portfile" ] || stage_fail "the download server did not start"
    STAGE_PORT="$(cat "$portfile")"
}

# Writes settings.ini into APP (8-bit, CRLF) for the server and the archive
# path given. The sections name the versions the sandbox really has.
stage_settings() {
    local app="$1" program_path="$2" os_version
    os_version="$(stage_os_version)"
    {
        echo '[SupportedAccessVersions]'
        echo 'Access.Application.11=Access 2003'
        echo 'Access.Application.12=Access 2007'
        echo 'Access.Application.14=Access 2010'
        echo 'Access.Application.16=Access 2016'
        echo
        echo '[GetFileSize]'
        echo "URL=http://127.0.0.1:$STAGE_PORT/size"
        echo
        echo '[ProgramFile]'
        echo "URL=http://127.0.0.1:$STAGE_PORT$program_path"
        echo
        if [ -n "$os_version" ]; then
            echo "[osVer_$os_version]"
            echo "Meldung=Ihr Windows ($os_version) wird von Zelbar unterstützt."
            echo 'Icon=OK'
            echo 'LinkInfo='
            echo 'LinkSP='
            echo
        fi
        echo '[accessVer_11.0.6566.0]'
        echo 'Meldung=MS-Access 2003 wird von Zelbar unterstützt.'
        echo 'Icon=OK'
        echo 'LinkInfo=Hinweise zu Access 2003 finden Sie <a href#EQUAL#http://127.0.0.1/access2003.html>hier</a>.'
        echo 'LinkSP='
        echo
        echo '[Shortcuts]'
        echo 'Desktop=Zelbar'
        echo 'StartmenuFolder=Zelbar'
        echo 'StartmenuZelbar=Zelbar starten'
        echo 'StartmenuUpdate=Zelbar aktualisieren'
        echo 'StartmenuAnmeldung=Zelbar Anmeldung'
        echo 'StartmenuHistory=Versionshinweise'
        echo 'StartmenuSchnellstart=Schnellstart'
    } | iconv -f UTF-8 -t CP1252 | sed 's/$/\r/' >"$app/settings.ini"
}

# Starts the wizard from APP in the background; sets STAGE_WIZARD_PID.
stage_start_wizard() {
    local app="$1"
    stage_wine "$app/ZelbarSetup.exe" &
    STAGE_WIZARD_PID=$!
}

# Runs the driver with the road file; screenshots go into SHOTS.
stage_drive() {
    local road="$1" shots="$2"
    mkdir -p "$shots"
    stage_wine "$ZELBAR_BINARY/tests/e2e/zelbar_driver.exe" "$(stage_winpath "$road")" \
        "$(stage_winpath "$shots")" 2>/dev/null
}

# The shortcut's target and arguments, read with IShellLinkW in the sandbox.
stage_read_link() {
    stage_wine "$ZELBAR_BINARY/tests/e2e/zelbar_driver.exe" --link "$(stage_winpath "$1")" \
        2>/dev/null | tr -d '\r'
}

# The screenshots as PNG files.
stage_png() {
    local shots="$1" bmp
    for bmp in "$shots"/*.bmp; do
        [ -e "$bmp" ] || continue
        convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
    done
}
