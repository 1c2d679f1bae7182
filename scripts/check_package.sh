#!/usr/bin/env bash
# Checks the Debian package that scripts/package.sh made: its file list, its
# menu entry, icons, manual pages and data file, its computed dependencies,
# that it has no maintainer scripts (removal leaves nothing, touches no user's
# data), and that the installed layout gives each user a copy of the data file.
# Usage: check_package.sh DEB BUILD_FOLDER. Fails on the first fault.
set -euo pipefail
deb=$1
build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
    echo "check_package: $*" >&2
    exit 1
}

echo "== Checking $deb"
sizes="16 24 32 48 64 128 256"
{
    printf '%s\n' ./usr/bin/tovrel ./usr/bin/tovrel-batch ./usr/share/applications/tovrel.desktop \
        ./usr/share/man/man1/tovrel-batch.1.gz ./usr/share/man/man1/tovrel.1.gz \
        ./usr/share/tovrel/kvxj.dll ./usr/share/doc/tovrel/changelog.gz
    for s in $sizes; do echo "./usr/share/icons/hicolor/${s}x$s/apps/tovrel.png"; done
} | sort >"$work/expected"
dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sort >"$work/files"
diff -u "$work/expected" "$work/files" || fail "the package's file list differs from the expected one"
owners=$(dpkg-deb -c "$deb" | awk '$2 != "root/root"')
[ -z "$owners" ] || fail "files not owned by root: $owners"
control=$(dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -v '^\./$' | sort | tr '\n' ' ')
[ "$control" = "./control ./md5sums " ] || fail "unexpected control files: $control"

depends=$(dpkg-deb -f "$deb" Depends)
names=$(tr ',|' '\n\n' <<<"$depends" | sed 's/(.*//; s/ //g')
for lib in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 fonts-wqy-zenhei; do
    grep -Fqx "$lib" <<<"$names" || fail "Depends lacks $lib: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
entry=$root/usr/share/applications/tovrel.desktop
said=$(desktop-file-validate "$entry" 2>&1) || fail "desktop-file-validate: $said"
[ -z "$said" ] || fail "desktop-file-validate: $said"
for line in 'Name=Tovrel' 'Exec=tovrel' 'Icon=tovrel' 'Name\[zh_CN\]=.+' 'Comment=.+' \
    'Categories=(.*;)?Graphics;.*'; do
    grep -Eqx "$line" "$entry" || fail "the desktop entry has no line $line"
done
for s in $sizes; do
    file "$root/usr/share/icons/hicolor/${s}x$s/apps/tovrel.png" | grep -q "PNG image data, $s x $s," ||
        fail "the ${s}x$s icon is no $s x $s PNG"
done
cmp "$build/kvxj.dll" "$root/usr/share/tovrel/kvxj.dll" || fail "the shipped data file differs"
version=$(dpkg-deb -f "$deb" Version)
gzip -dc "$root/usr/share/doc/tovrel/changelog.gz" >"$work/changelog"
head -n1 "$work/changelog" | grep -qx "tovrel ($version) unstable; urgency=medium" ||
    fail "the changelog does not start with version $version: $(cat "$work/changelog")"
dpkg-parsechangelog -l "$work/changelog" -S Version | grep -qx "$version" ||
    fail "dpkg-parsechangelog does not read version $version from the changelog"
[ "$("$root/usr/bin/tovrel-batch" --version)" = "tovrel-batch $version" ] ||
    fail "tovrel-batch --version does not say $version"

for page in tovrel tovrel-batch; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$root/usr/share/man/man1/$page.1.gz" \
        2>&1 >"$work/$page.txt") || fail "man -l $page.1.gz failed: $warnings"
    [ -z "$warnings" ] || fail "man -l $page.1.gz warns: $warnings"
    grep -q "^NAME" "$work/$page.txt" || fail "$page.1.gz renders no NAME section"
done
for option in $("$root/usr/bin/tovrel-batch" --help | grep -Eo -- '--[a-z-]+' | sort -u); do
    grep -qF -- "$option" "$work/tovrel-batch.txt" || fail "the manual page lacks $option"
done

# Installed under any prefix, the batch tool makes the user's own copy of the
# shipped data file on first use and leaves the shipped one as it is.
home=$work/home
mkdir "$home"
HOME=$home XDG_DATA_HOME='' "$root/usr/bin/tovrel-batch" --pitch 0.5 --sharpness 2 \
    "$work/none1.bmp" "$work/none2.bmp" >/dev/null 2>&1 || true
cmp "$root/usr/share/tovrel/kvxj.dll" "$home/.local/share/tovrel/kvxj.dll" ||
    fail "no user's copy of the data file in $home/.local/share/tovrel"
cmp "$build/kvxj.dll" "$root/usr/share/tovrel/kvxj.dll" || fail "the shipped data file was changed"
echo "== The package is sound: $(basename "$deb"), Depends: $depends"
