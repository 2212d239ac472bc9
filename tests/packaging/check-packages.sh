#!/usr/bin/env bash
# Checks the packages as a user meets them.
#   .debs:     quenlo and quenlo-fix: lintian --pedantic finds nothing; Depends
#              computed, none of Qt or X for quenlo-fix; no file in both;
#              the programs hardened; the desktop entry and the metainfo
#              validate; the type of project files builds into a MIME
#              database, where the desktop entry offers to open it (and
#              nothing sets a default); quenlo-fix unpacked alone into a
#              scratch root runs.
#   installer: runs silently under Wine in its own prefix, with /PATH; the
#              uninstall entry, the programs' ASLR and DEP bits; the installed
#              quenlo-fix.exe fixes a file; quenlo.exe is under "Open with"
#              for .PRJ, never their default; while quenlo.exe runs,
#              uninstaller and installer refuse and change nothing; after it,
#              the uninstaller removes every file and registry key the
#              installer made, and takes the folder off the PATH; its pages
#              show "Quenlo 1.00" at their foot; installed again into another
#              folder and then into the same, one copy, one PATH entry and
#              one uninstall entry remain, and the uninstaller removes the
#              folders the installer made; the installed readme speaks of
#              the installed program.
#   zip:       holds exactly the expected files.
# Usage: on-xvfb.sh check-packages.sh PACKAGE_DIR LINUX_BUILD_DIR MINGW_BUILD_DIR
#        check-packages.sh PACKAGE_DIR LINUX_BUILD_DIR   (the .debs alone)
set -euo pipefail

packages=$(realpath "$1")
linux_build=$(realpath "$2")
mingw_build=${3:+$(realpath "$3")}
version=$(sed -n 's/^QUENLO_VERSION:STRING=//p' "$linux_build/CMakeCache.txt")
scratch=$(mktemp -d)
trap '[ -z "${WINEPREFIX:-}" ] || wineserver -k 2>/dev/null; rm -rf "$scratch"' EXIT

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
pass() { echo "ok: $*"; }
finish() {
    if [ "$failures" -ne 0 ]; then
        echo "check-packages: $failures failure(s)" >&2
        exit 1
    fi
    echo "check-packages: all packages good"
    exit 0
}

# A header that needs fixing, then bytes past the header that must survive.
make_project_file() { printf 'MIRD /8203 rest of the project\n' >"$1"; }
expect_fixed() {
    local got; got=$(cat "$1")
    [ "$got" = 'MIRD /8202 rest of the project' ] || fail "$2: file holds '$got' after the fix"
}

# ---------------------------------------------------------------- .debs
deb=$packages/quenlo_${version}_amd64.deb
fixdeb=$packages/quenlo-fix_${version}_amd64.deb
if [ ! -f "$deb" ] || [ ! -f "$fixdeb" ]; then
    fail "no $deb or no $fixdeb"
else
    # Every tag down to the pedantic ones; packaging/lintian-overrides.in
    # says why each override is there.
    lintian --pedantic --display-info --fail-on error,warning,info,pedantic "$deb" "$fixdeb" 2>/dev/null \
        && pass "lintian --pedantic: nothing to report" || fail "lintian --pedantic reports the above"

    depends=$(dpkg-deb --field "$deb" Depends)
    case "$depends" in
        *libc6*libqt6widgets6* | *libqt6widgets6*libc6*) pass "Depends: $depends" ;;
        *) fail "Depends lacks the linked libraries: '$depends'" ;;
    esac
    fixdepends=$(dpkg-deb --field "$fixdeb" Depends)
    [[ $fixdepends == *libc6* && ! $fixdepends =~ qt|libx|xcb|libgl|wayland ]] \
        && pass "quenlo-fix Depends: $fixdepends" || fail "quenlo-fix Depends: '$fixdepends'"
    [ "$(dpkg-deb --field "$deb" Recommends)" = quenlo-fix ] || fail "quenlo does not recommend quenlo-fix"
    shared=$(comm -12 <(dpkg-deb --contents "$deb" | grep -v '^d' | awk '{print $6}' | sort) \
                      <(dpkg-deb --contents "$fixdeb" | grep -v '^d' | awk '{print $6}' | sort))
    [ -z "$shared" ] || fail "both packages hold $shared"

    # Each unpacked alone into a scratch root.
    root=$scratch/debroot fixroot=$scratch/fixroot
    dpkg-deb --extract "$deb" "$root"
    dpkg-deb --extract "$fixdeb" "$fixroot"
    desktop=$root/usr/share/applications/org.quenlo.Quenlo.desktop
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    for path in "$root"/usr/{bin/quenlo,share/man/man1/quenlo.1.gz,share/doc/quenlo/{copyright,changelog.gz}} \
                "$fixroot"/usr/{bin/quenlo-fix,share/man/man1/quenlo-fix.1.gz,share/doc/quenlo-fix/{copyright,changelog.gz}} \
                "$root/usr/share/icons/hicolor/scalable/apps/$icon.svg"; do
        [ -f "$path" ] || fail "the .deb lacks ${path#"$scratch"/*/}"
    done
    for size in 16 24 32 48 64 128 256; do
        png=$root/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png
        dims=$(file -b "$png" 2>/dev/null | grep -o '[0-9]* x [0-9]*' || true)
        [ "$dims" = "$size x $size" ] || fail "icon $icon ${size}x${size}: '$dims'"
    done

    # PIE, stack protector, RELRO and BIND_NOW in the packaged programs.
    # Fortified calls show only where the compiler knows a buffer's size
    # (packaging/lintian-overrides.in), so the build's compile commands are
    # checked for it; bookworm's dpkg-buildflags asks for no -fcf-protection.
    for program in "$root/usr/bin/quenlo" "$fixroot/usr/bin/quenlo-fix"; do
        report=$(hardening-check --nofortify --nocfprotection "$program") \
            && pass "hardening-check ${program##*/}" || fail "$report"
    done
    grep '"command"' "$linux_build/compile_commands.json" | grep -qv -e '-D_FORTIFY_SOURCE=2 .*-O2' \
        && fail "a compile command without -D_FORTIFY_SOURCE=2 -O2"

    desktop-file-validate "$desktop" && pass "desktop-file-validate" || fail "desktop-file-validate"
    # The entry's type is defined by the package's MIME file with both globs;
    # the databases built as shared-mime-info's and desktop-file-utils'
    # triggers build them offer the entry for the type. No list of defaults.
    type=$(sed -n 's/^MimeType=\([^;]*\);$/\1/p' "$desktop")
    mime=$root/usr/share/mime
    notes=$(XDG_DATA_DIRS=$root/usr/share update-mime-database "$mime" 2>&1 >/dev/null)
    [ -z "$notes" ] || fail "update-mime-database: $notes"
    grep -qx "[0-9]*:$type:\*\.prj" "$mime/globs2" && pass "MIME type $type for *.PRJ and *.prj" \
        || fail "the MIME database gives no $type for *.prj: $(cat "$mime/globs2")"
    update-desktop-database "$root/usr/share/applications"
    grep -qx "$type=org.quenlo.Quenlo.desktop;" "$root/usr/share/applications/mimeinfo.cache" \
        && pass "the desktop entry opens $type" || fail "the desktop database does not offer Quenlo for $type"
    defaults=$(dpkg-deb --contents "$deb" | grep -E 'mimeapps\.list|defaults\.list' || true)
    [ -z "$defaults" ] || fail "the package sets a default application: $defaults"
    # Debian 12's appstreamcli (0.16) predates AppStream 1.0's <developer>, and
    # hints at the capital letter that the application's ID has.
    notes=$(appstreamcli validate-tree --pedantic --no-net "$root" | grep -E '^ +[EWIP]:' |
            grep -v -e ' unknown-tag developer$' -e ' cid-contains-uppercase-letter org.quenlo.Quenlo$' || true)
    [ -z "$notes" ] && pass "appstreamcli validate-tree --pedantic" || fail "appstreamcli: $notes"

    got=$("$fixroot/usr/bin/quenlo-fix" --version)
    [ "$got" = "quenlo-fix $version" ] && pass "unpacked quenlo-fix --version: $got" \
        || fail "unpacked quenlo-fix --version printed '$got'"
    make_project_file "$scratch/deb.PRJ"
    "$fixroot/usr/bin/quenlo-fix" "$scratch/deb.PRJ" >/dev/null || fail "unpacked quenlo-fix failed to fix"
    expect_fixed "$scratch/deb.PRJ" "unpacked quenlo-fix"
fi

# ------------------------------------------------------- what Windows gets
[ -n "$mingw_build" ] || finish
# CMake wrote the zip's expected listing from the programs it builds.
mapfile -t zip_expected <"$mingw_build/packages-expected/zip-contents.txt"
programs=()
for entry in "${zip_expected[@]}"; do
    case "$entry" in *.exe) programs+=("${entry##*/}") ;; esac
done
has_window=no
for program in "${programs[@]}"; do [ "$program" = quenlo.exe ] && has_window=yes; done

# ---------------------------------------------------------------- zip
zip=$packages/quenlo-${version}-win64.zip
if [ ! -f "$zip" ]; then
    fail "no $zip"
else
    listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort)
    expected=$(printf '%s\n' "${zip_expected[@]}" | sort)
    if [ "$listed" = "$expected" ]; then
        pass "zip holds exactly: $(echo $listed)"
    else
        fail "zip holds:"$'\n'"$listed"$'\n'"expected:"$'\n'"$expected"
    fi
fi

# ---------------------------------------------------------------- installer
installer=$packages/quenlo-${version}-win64.exe
if [ ! -f "$installer" ]; then
    fail "no $installer"
else
    export WINEPREFIX=$scratch/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    wineboot -i >/dev/null 2>&1
    wineserver -w
    drive=$WINEPREFIX/drive_c
    regkey='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quenlo'
    # Everything in the prefix before the installer runs, but the temporary
    # folders (where the uninstaller runs a copy of itself, as on Windows).
    snapshot() {
        (cd "$drive" && find . \( -path ./windows/temp -o -path './users/*/Temp' \
            -o -path './users/*/AppData/Local/Temp' \) -prune -o -print | sort)
    }
    snapshot >"$scratch/before.txt"
    envkey='HKLM\System\CurrentControlSet\Control\Session Manager\Environment'
    path_before=$(wine reg query "$envkey" /v Path)
    userkey='HKCU\Environment'
    userpath_before=$(wine reg query "$userkey" /v Path 2>&1 || true)
    # Another program is .PRJ's default: it stays so.
    classes='HKLM\Software\Classes'
    wine reg add "$classes\.PRJ" /ve /d MIRDplus.Project /f >/dev/null 2>&1
    prjdefault() { wine reg query "$classes\.PRJ" /ve 2>/dev/null | tr -d '\r' | awk '/REG_SZ/ { print $NF }'; }

    wine "$installer" /S /PATH
    wineserver -w
    instdir=$drive/Program\ Files/Quenlo
    for file in "${programs[@]}" README.txt quenlo-fix.html Uninstall.exe; do
        [ -f "$instdir/$file" ] || fail "installer did not put $file in Program Files\\Quenlo"
    done
    entry=$(wine reg query "$regkey" | tr -d '\r')
    for value in "UninstallString +REG_SZ" "DisplayVersion +REG_SZ +$version" "EstimatedSize +REG_DWORD +0x[1-9a-f]" \
                 "DisplayIcon +REG_SZ +C:.Program Files.Quenlo.[a-z-]+\.exe"; do
        grep -Eq "^ +$value" <<<"$entry" || fail "uninstall entry $regkey lacks $value"
    done
    wine reg query "$envkey" /v Path | grep -q 'C:\\Program Files\\Quenlo' || fail "/PATH did not add the folder to PATH"
    shortcut="$drive/ProgramData/Microsoft/Windows/Start Menu/Programs/Quenlo/Quenlo.lnk"
    if [ "$has_window" = yes ]; then
        [ -f "$shortcut" ] && pass "Start-menu shortcut to Quenlo" || fail "no Start-menu shortcut $shortcut"
        [ -e "${shortcut%/*}/Uninstall.lnk" ] && fail "an Uninstall shortcut in the Start menu"
    fi
    for program in "${programs[@]}"; do
        wrestool --list --type=14 --name=1 "$instdir/$program" | grep -q . \
            && pass "$program carries icon resource 1" || fail "$program has no icon resource 1"
        bits=$(x86_64-w64-mingw32-objdump -p "$instdir/$program" | grep -cE '^\s+(DYNAMIC_BASE|NX_COMPAT|HIGH_ENTROPY_VA)$')
        [ "$bits" = 3 ] && pass "$program: DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA" || fail "$program lacks ASLR or DEP"
    done

    make_project_file "$scratch/win.PRJ"
    out=$(wine "$instdir/quenlo-fix.exe" "$(winepath -w "$scratch/win.PRJ")" | tr -d '\r') \
        || fail "installed quenlo-fix.exe exited with $?"
    case "$out" in
        *': Project file successfully fixed.') pass "installed quenlo-fix.exe: $out" ;;
        *) fail "installed quenlo-fix.exe printed '$out'" ;;
    esac
    expect_fixed "$scratch/win.PRJ" "installed quenlo-fix.exe"

    if [ "$has_window" = yes ]; then
        wine reg query "$classes\.PRJ\OpenWithProgids" /v Quenlo.PRJ >/dev/null 2>&1 \
            && wine reg query "$classes\Applications\quenlo.exe\SupportedTypes" /v .PRJ >/dev/null 2>&1 \
            && pass "quenlo.exe under Open with for .PRJ" || fail "quenlo.exe is not under Open with for .PRJ"
        [ "$(prjdefault)" = MIRDplus.Project ] || fail "the installer changed .PRJ's default to '$(prjdefault)'"
        command=$(wine reg query "$classes\Quenlo.PRJ\shell\open\command" /ve | tr -d '\r' | sed -n 's/.*REG_SZ *//p')
        [ "$command" = '"C:\Program Files\Quenlo\quenlo.exe" "%1"' ] || fail "Open with runs '$command'"

        # quenlo.exe on the screen that on-xvfb.sh gives this script. With _?=
        # the uninstaller runs in place and returns its exit status (else it
        # hands over to a copy of itself); wine would quote a folder with a
        # space, which NSIS does not read, so it gets the short name.
        wine "$instdir/quenlo.exe" & window=$!
        timeout 60 xdotool search --sync --name '^ Quenlo$' >/dev/null || fail "quenlo.exe showed no window"
        wine "$instdir/Uninstall.exe" /S "_?=$(winepath -s 'C:\Program Files\Quenlo')" \
            && fail "the uninstaller went on while quenlo.exe ran"
        wine "$installer" /S && fail "the installer went on while quenlo.exe ran"
        [ -f "$instdir/quenlo.exe" ] && wine reg query "$regkey" >/dev/null 2>&1 \
            && pass "uninstaller and installer refused while quenlo.exe ran" || fail "a refusal changed the install"
        wine taskkill /IM quenlo.exe >/dev/null
        wait "$window" || true
    fi
    # The installed readme speaks of the installed program and of the
    # reference beside it.
    readme=$(tr -d '\r' <"$instdir/README.txt")
    [[ $readme == *Start*menu*Apps*PATH*quenlo-fix.html* && $readme != *portable* ]] \
        && pass "the installed readme speaks of the installed program" || fail "the installed readme: $readme"

    # Its pages show the program's name at their foot, not the NSIS of the
    # machine that built it.
    grep -qx 'BrandingText "Quenlo '"$version"'"' "$mingw_build/_CPack_Packages/win64/NSIS/project.nsi" \
        && pass "the installer is made to show Quenlo $version on its pages" || fail "the installer shows another BrandingText"

    # Installed again into another folder, then into that one again: one
    # copy, one PATH entry and one uninstall entry, whatever the order. Out
    # of Program Files, the folder goes on the installing user's PATH only.
    for folder in '/D=C:\Apps\Quenlo' ''; do wine "$installer" /S $folder && wineserver -w; done
    [ -e "$instdir" ] && fail "installing elsewhere left $(find "$instdir" | tr '\n' ' ')"
    instdir=$drive/Apps/Quenlo
    [ -f "$instdir/quenlo-fix.exe" ] || fail "installing into C:\\Apps\\Quenlo did not put quenlo-fix.exe there"
    path=$(wine reg query "$envkey" /v Path | tr -d '\r')
    userpath=$(wine reg query "$userkey" /v Path | tr -d '\r' || true)
    [[ $path != *'Program Files\Quenlo'* && $path != *'Apps\Quenlo'* && $(grep -o 'C:\\Apps\\Quenlo' <<<"$userpath" | wc -l) = 1 ]] \
        && pass "the user's PATH names C:\\Apps\\Quenlo once, the machine's neither" \
        || fail "PATH after moving: machine $path, user $userpath"
    wine reg query "$regkey" /v InstallLocation | grep -q 'REG_SZ *C:\\Apps\\Quenlo' \
        && pass "the uninstall entry names C:\\Apps\\Quenlo" || fail "the uninstall entry names $(wine reg query "$regkey" /v InstallLocation)"
    [ "$has_window" = no ] || wine reg query "$classes\Quenlo.PRJ\shell\open\command" /ve | grep -qF 'C:\Apps\Quenlo\quenlo.exe' \
        || fail "after the move, Open with does not run C:\\Apps\\Quenlo\\quenlo.exe"

    wine "$instdir/Uninstall.exe" /S
    wineserver -w
    [ -e "$instdir" ] && fail "uninstaller left $(find "$instdir" | tr '\n' ' ')"
    wine reg query "$regkey" >/dev/null 2>&1 && fail "uninstaller left $regkey"
    wine reg query 'HKLM\Software\Quenlo' >/dev/null 2>&1 && fail "uninstaller left HKLM\\Software\\Quenlo"
    for key in "$classes\Quenlo.PRJ" "$classes\Applications\quenlo.exe"; do
        wine reg query "$key" >/dev/null 2>&1 && fail "uninstaller left $key"
    done
    wine reg query "$classes\.PRJ\OpenWithProgids" /v Quenlo.PRJ >/dev/null 2>&1 && fail "uninstaller left Quenlo.PRJ in OpenWithProgids"
    [ "$(prjdefault)" = MIRDplus.Project ] && pass "uninstall left .PRJ's default as it was" \
        || fail "the uninstaller took .PRJ's default away: '$(prjdefault)'"
    [ "$(wine reg query "$envkey" /v Path)" = "$path_before" ] || fail "uninstaller left PATH changed"
    [ "$(wine reg query "$userkey" /v Path 2>&1 || true)" = "$userpath_before" ] || fail "uninstaller left the user's PATH changed"
    snapshot >"$scratch/after.txt"
    left=$(comm -13 "$scratch/before.txt" "$scratch/after.txt")
    [ -z "$left" ] && pass "uninstaller removed everything installed" \
        || fail "left behind after uninstalling:"$'\n'"$left"
fi

finish
