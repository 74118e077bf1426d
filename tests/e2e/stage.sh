# The stage for a real run of ZelbarSetup.exe in a Wine sandbox, sourced by
# tests/e2e/run-e2e and tools/demo after they set ZELBAR_SOURCE, ZELBAR_BINARY
# and ZELBAR_SANDBOX. Whatever is started here, stage_stop ends by its id.
# shellcheck source=../../tools/lib/display.sh
. "$ZELBAR_SOURCE/tools/lib/display.sh"

STAGE_PIDS=()
STAGE_PREFIX="$ZELBAR_SANDBOX/prefix"
STAGE_FIXTURES="$ZELBAR_BINARY/tests/fixtures"
STAGE_CERTS="$STAGE_FIXTURES/trust_cert/certs"

stage_fail() { echo "stage: FAILED: $*" >&2; exit 1; }
stage_wine() { "$ZELBAR_SOURCE/tools/wine-run" "$@"; }
# "/a/b c" -> "Z:\a\b c"; with a second argument the backslashes doubled, for .reg files
stage_winpath() { local p; p="Z:$(realpath -m "$1" | tr / '\\')"; [ -z "${2:-}" ] || p="${p//\\/\\\\}"; printf '%s' "$p"; }

stage_stop() {
    local pid
    for pid in "${STAGE_PIDS[@]}"; do { kill "$pid" && wait "$pid"; } 2>/dev/null || true; done
    STAGE_PIDS=()
    WINEPREFIX="$STAGE_PREFIX" timeout 30 wineserver -w >/dev/null 2>&1 || true
    display_stop
}

stage_profile() { find "$STAGE_PREFIX/drive_c/users" -mindepth 1 -maxdepth 1 ! -name Public | head -n 1; }
stage_desktop() { echo "$(stage_profile)/Desktop"; }
stage_programs() { echo "$(stage_profile)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"; }

# stage_serve SCRIPT PORTFILE [ARGS...]: starts tests/fixtures/SCRIPT; its ports,
# as it names them in PORTFILE, in STAGE_PORTS.
stage_serve() {
    rm -f "$2"
    python3 "$ZELBAR_SOURCE/tests/fixtures/$1" --port-file "$2" --idle 600 "${@:3}" &
    STAGE_PIDS+=($!)
    for _ in $(seq 1 300); do [ -s "$2" ] && break; sleep 0.1; done
    mapfile -t STAGE_PORTS 2>/dev/null <"$2" || stage_fail "$1 did not start"
}

# Sets up WORK: the fixture Access registered as Office 2003 does it, ".html"
# opened by exit_with, which only notes the page in WORK/quickstart-opened.txt
# (no browser outside the sandbox), web links likewise in WORK/link-opened.txt,
# no earlier installation, demo/product packed into our extractor stub (its content kept in WORK/archive-content) and served
# by tests/fixtures/server.py on STAGE_PORT (its requests logged in
# WORK/server.log), and over HTTPS on STAGE_HTTPS_PORT
# with an authority the sandbox trusts (STAGE_UNTRUSTED_PORT: one it does not
# trust; STAGE_WRONGHOST_PORT: a certificate for another name), and WORK/app with
# the program and a settings.ini for STAGE_PORT.
stage_setup() {
    local work="$1" office="$STAGE_PREFIX/drive_c/Program Files/Microsoft Office/OFFICE11"
    rm -rf "$work/app" "$work/served" "$work/archive-content" "$work/quickstart-opened.txt" "$work/link-opened.txt" "$work/server.log"
    mkdir -p "$work/app" "$work/served" "$work/archive-content"
    display_start || stage_fail "could not start Xvfb"
    stage_wine cmd /c exit 0 >/dev/null 2>&1 || stage_fail "the Wine sandbox does not start"
    mkdir -p "$office"
    cp "$STAGE_FIXTURES/fixture_access/fixture_access.exe" "$office/MSACCESS.EXE"
    sed 's/$/\r/' >"$ZELBAR_SANDBOX/stage.reg" <<EOF
REGEDIT4
[HKEY_CLASSES_ROOT\Access.Application]
@="Microsoft Access Application"
[HKEY_CLASSES_ROOT\Access.Application\CurVer]
@="Access.Application.11"
[HKEY_CLASSES_ROOT\Access.Application.11]
@="Microsoft Office Access Application"
[HKEY_CLASSES_ROOT\Access.Application.11\shell\open\command]
@="\"C:\\\\Program Files\\\\Microsoft Office\\\\OFFICE11\\\\MSACCESS.EXE\" /NOSTARTUP \"%1\""
[HKEY_CLASSES_ROOT\.html]
@="ZelbarStage.Schnellstart"
[HKEY_CLASSES_ROOT\ZelbarStage.Schnellstart\shell\open\command]
@="\"$(stage_winpath "$STAGE_FIXTURES/exit_with/exit_with.exe" x)\" 0 0 \"$(stage_winpath "$work/quickstart-opened.txt" x)\" \"%1\""
[HKEY_CLASSES_ROOT\http\shell\open\command]
@="\"$(stage_winpath "$STAGE_FIXTURES/exit_with/exit_with.exe" x)\" 0 0 \"$(stage_winpath "$work/link-opened.txt" x)\" \"%1\""
EOF
    stage_wine regedit /S "$(stage_winpath "$ZELBAR_SANDBOX/stage.reg")" >/dev/null 2>&1 ||
        stage_fail "the registry entries could not be imported"
    rm -rf "$STAGE_PREFIX/drive_c/Zelbar" "$(stage_desktop)/Zelbar.lnk" "$(stage_programs)/Zelbar"
    stage_wine reg delete 'HKCU\Software\VB and VBA Program Settings\Zelbar-Setup' /f >/dev/null 2>&1 || true

    cp -r "$ZELBAR_SOURCE/demo/product/." "$work/archive-content/"
    cp "$STAGE_FIXTURES/exit_with/exit_with.exe" "$work/archive-content/Update.exe"
    python3 "$ZELBAR_SOURCE/tests/fixtures/extractor/pack.py" "$STAGE_FIXTURES/extractor/zelbar_extractor.exe" \
        "$work/served/ZelbarSetup11.exe" "$work/archive-content" || stage_fail "the archive could not be packed"
    stage_wine "$STAGE_FIXTURES/trust_cert/trust_cert.exe" "$(stage_winpath "$STAGE_CERTS/ca.der")" ||
        stage_fail "the test authority could not be trusted"
    stage_serve server.py "$work/server.port" --files "$work/served" --log "$work/server.log" \
        --tls "$STAGE_CERTS/localhost.pem" "$STAGE_CERTS/server.key" \
        --tls "$STAGE_CERTS/untrusted.pem" "$STAGE_CERTS/server.key" \
        --tls "$STAGE_CERTS/wronghost.pem" "$STAGE_CERTS/server.key"
    read -r STAGE_PORT STAGE_HTTPS_PORT STAGE_UNTRUSTED_PORT STAGE_WRONGHOST_PORT <<<"${STAGE_PORTS[*]}"

    # page 1's messages name the Windows version the sandbox really has
    STAGE_OS="$(stage_wine cmd /c ver 2>/dev/null | grep -o '[0-9]\+\.[0-9]\+\.[0-9]\+' | head -n 1)"
    [ -n "$STAGE_OS" ] || stage_fail "the sandbox names no Windows version"
    cp "$ZELBAR_BINARY/ZelbarSetup.exe" "$work/app/"
    stage_settings "$work" "http://127.0.0.1:$STAGE_PORT/size" "http://127.0.0.1:$STAGE_PORT/files/ZelbarSetup11.exe"
}

# stage_sign CERT IN OUT [changed]: OUT is the archive IN signed with the test
# certificate CERT (publisher, other, selfsigned; see trust_cert/make-certs).
stage_sign() {
    bash "$ZELBAR_SOURCE/tests/fixtures/trust_cert/sign-archive" "$STAGE_CERTS" "$@" ||
        stage_fail "the archive could not be signed"
}

# stage_settings WORK SIZE_URL ARCHIVE_URL: WORK/app/settings.ini for these addresses.
stage_settings() {
    local os="$STAGE_OS"
    iconv -f UTF-8 -t CP1252 <<EOF | sed 's/$/\r/' >"$1/app/settings.ini"
[SupportedAccessVersions]
Access.Application.11=Access 2003

[GetFileSize]
URL=$2

[ProgramFile]
URL=$3

[osVer_$os]
Meldung=Ihr Windows ($os) wird von Zelbar unterstützt.
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

# stage_road WORK SHOTS [ROAD]: starts the wizard from WORK/app and walks ROAD
# (tests/e2e/roads/install.road) with the driver; the page screenshots go into
# SHOTS as PNG. A wizard that did not get through would wait for ever, so only
# this sandbox is then ended.
stage_road() {
    local work="$1" shots="$2" road="${3:-$ZELBAR_SOURCE/tests/e2e/roads/install.road}" status=0 bmp wizard
    mkdir -p "$shots"
    stage_wine "$work/app/ZelbarSetup.exe" &
    wizard=$!
    stage_wine "$ZELBAR_BINARY/tests/e2e/zelbar_driver.exe" \
        "$(stage_winpath "$road")" "$(stage_winpath "$shots")" \
        2>/dev/null || status=$?
    for bmp in "$shots"/*.bmp; do [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; done
    [ "$status" -eq 0 ] || WINEPREFIX="$STAGE_PREFIX" wineserver -k >/dev/null 2>&1 || true
    wait "$wizard" 2>/dev/null || true
    return "$status"
}

# stage_new_release WORK: a new release of the archive beside the served one,
# WORK/served/ZelbarSetup11.exe.new, of the same length (History.txt's letters
# shifted), with its content in WORK/new-content and a later date; prints the
# first byte at which the two releases differ.
stage_new_release() {
    local work="$1" old="$1/served/ZelbarSetup11.exe" new="$1/served/ZelbarSetup11.exe.new"
    rm -rf "$work/new-content"
    cp -r "$work/archive-content" "$work/new-content"
    tr 'a-y' 'b-z' <"$work/archive-content/History.txt" >"$work/new-content/History.txt"
    python3 "$ZELBAR_SOURCE/tests/fixtures/extractor/pack.py" "$STAGE_FIXTURES/extractor/zelbar_extractor.exe" \
        "$new" "$work/new-content" || stage_fail "the new release could not be packed"
    touch -d '2025-01-01 12:00' "$new"
    [ "$(stat -c %s "$old")" = "$(stat -c %s "$new")" ] || stage_fail "the new release's length differs"
    { cmp "$old" "$new" || true; } | sed -n 's/.* byte \([0-9]*\),.*/\1/p'
}
