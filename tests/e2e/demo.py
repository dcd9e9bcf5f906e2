#!/usr/bin/env python3
"""Shows the launcher on a disc under Wine (used by demo.sh).

Usage: demo.py SOURCE_DIR DEMO_DIR [DISC] [--registry FILE.reg] [--drive X:=FOLDER ...]

DISC is a disc's root folder or an ISO 9660 image of it; without it, the
sample disc, laid out with a stand-in setup.exe. The launcher that runs is
always the build's (build/win32/launcher.exe), put where the disc's
autorun.inf says the launcher is; everything else is the disc's. The disc
is drive D:, a CD-ROM drive; nothing of it is changed: the launcher's
folder is a folder of links under build/demo.

--registry imports a .reg file (as the Registry Editor exports it) into
the machine first, in place of any installation records; --drive X:=FOLDER
lays FOLDER's files out as drive X: (on C:, beside Windows' own), so that
the programs the records name can be there.

With a display (DISPLAY set) the launcher simply runs there. Without one,
an Xvfb screen is started, the first window the launcher opens (its splash,
a choice or the repair message box) is saved to build/demo/splash.png, that
path printed, and the window answered with Cancel, Escape or No, so that
nothing is started and the command ends."""

import os
import re
import shutil
import struct
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402

USAGE = 'usage: demo.sh [DISC-FOLDER|IMAGE.iso] [--registry FILE.reg] [--drive X:=FOLDER ...]'


def fail(message):
    sys.exit('demo: ' + message)


def parse(argv):
    disc, registry, drives = None, None, []
    i = 0
    while i < len(argv):
        a = argv[i]
        if a in ('-h', '--help'):
            print(USAGE + '\n')
            print(__doc__.split('\n\n', 2)[2])
            sys.exit(0)
        if a in ('--registry', '--drive'):
            if i + 1 == len(argv):
                fail('%s needs a value\n%s' % (a, USAGE))
            value = argv[i + 1]
            i += 2
            if a == '--registry':
                registry = os.path.abspath(value)
            elif re.match(r'^[A-Za-z]:=.', value) and value[0].upper() not in 'D':
                drives.append((value[0].upper(), os.path.abspath(value[3:])))
            else:
                fail('--drive takes X:=FOLDER, for a letter other than D: (the disc)\n' + USAGE)
            continue
        if a.startswith('-') or disc:
            fail('unexpected %r\n%s' % (a, USAGE))
        disc = os.path.abspath(a)
        i += 1
    if registry and not os.path.isfile(registry):
        fail('no registry file ' + registry)
    for _, folder in drives:
        if not os.path.isdir(folder):
            fail('no folder ' + folder)
    return disc, registry, drives


def find_nocase(folder, name):
    """The entry of folder that Windows would take for name, or None."""
    if os.path.exists(os.path.join(folder, name)):
        return name
    for entry in sorted(os.listdir(folder)):
        if entry.lower() == name.lower():
            return entry
    return None


def launcher_place(root):
    """The launcher's folder (relative, '/'-separated) and file name on the
    disc: from autorun.inf's open=, or else the one folder that holds an
    install.ini."""
    inf = find_nocase(root, 'autorun.inf')
    if inf:
        section = None
        with open(os.path.join(root, inf), 'rb') as f:
            for raw in f.read().decode('cp1252').splitlines():
                line = raw.strip()
                if line.startswith('['):
                    section = line.strip('[]').strip().lower()
                elif section == 'autorun' and line.lower().startswith('open'):
                    key, _, value = line.partition('=')
                    if key.strip().lower() != 'open':
                        continue
                    value = value.strip()
                    program = value[1:].split('"')[0] if value.startswith('"') else value.split()[0]
                    parts = [p for p in re.split(r'[\\/]', program) if p]
                    if parts:
                        return '/'.join(parts[:-1]), parts[-1]
    candidates = [e for e in sorted(os.listdir(root))
                  if os.path.isdir(os.path.join(root, e)) and find_nocase(os.path.join(root, e), 'install.ini')]
    if len(candidates) == 1:
        return candidates[0], 'launcher.exe'
    fail('cannot tell where the launcher goes on %s: no open= in autorun.inf, and %s folders hold an install.ini'
         % (root, len(candidates) or 'no'))


def extract_image(image, into):
    """The files of an ISO 9660 image under the names Windows shows: the
    Joliet tree where there is one, else the plain ISO 9660 names."""
    shutil.rmtree(into, ignore_errors=True)
    os.makedirs(into)
    log = into + '.log'
    with open(log, 'wb') as out:
        rc = subprocess.call(['xorriso', '-read_fs', 'norock', '-osirrox', 'on', '-indev', image,
                              '-extract', '/', into], stdout=out, stderr=out)
    if rc != 0:
        fail('xorriso cannot read %s as a disc image (see %s)' % (image, log))
    # Extracted files are read-only, as on the disc; the folder must go next time.
    for folder, dirs, _ in os.walk(into):
        for d in dirs:
            os.chmod(os.path.join(folder, d), 0o755)
    os.chmod(into, 0o755)


def lay_out_disc(cfg, source_dir, demo_dir, disc):
    """The folder that becomes drive D:, and the launcher's path on it."""
    view = os.path.join(demo_dir, 'disc')
    shutil.rmtree(view, ignore_errors=True)
    if disc is None:
        # The sample, with the build's launcher and a stand-in installer.
        sample = os.path.join(source_dir, 'samples', 'disc')
        os.makedirs(os.path.join(view, 'LAUNCH'))
        for name in ('autorun.inf', 'LAUNCH/install.ini', 'LAUNCH/Launcher.bmp'):
            shutil.copy(os.path.join(sample, name), os.path.join(view, name))
        shutil.copy(cfg.launcher, os.path.join(view, 'LAUNCH', 'launcher.exe'))
        shutil.copy(cfg.standin, os.path.join(view, 'setup.exe'))
        return view, 'LAUNCH\\launcher.exe'
    if os.path.isfile(disc):
        root = os.path.join(demo_dir, 'image')
        extract_image(disc, root)
    elif os.path.isdir(disc):
        root = disc
    else:
        fail('no disc folder or image ' + disc)
    folder, program = launcher_place(root)
    # Links to the disc's own files, the launcher's folder made of links too,
    # with the build's launcher in the launcher's place.
    os.makedirs(view)
    here_root, here_view = root, view
    parts = folder.split('/') if folder else []
    for depth, part in enumerate(parts + [None]):
        found = find_nocase(here_root, part) if part else None
        if part and not found:
            fail('the launcher\'s folder %s is not on the disc' % folder)
        for entry in os.listdir(here_root):
            if entry != found and not (part is None and entry.lower() == program.lower()):
                os.symlink(os.path.join(here_root, entry), os.path.join(here_view, entry))
        if part:
            here_root = os.path.join(here_root, found)
            here_view = os.path.join(here_view, found)
            os.makedirs(here_view)
    name = find_nocase(here_root, program) or program
    target = os.path.join(here_view, name)
    if os.path.isfile(os.path.join(here_root, name)):
        with open(os.path.join(here_root, name), 'rb') as a, open(cfg.launcher, 'rb') as b:
            if a.read() != b.read():
                print('note: the disc\'s %s is not this build\'s launcher; the build\'s is shown' % name)
    shutil.copy(cfg.launcher, target)
    return view, os.path.relpath(target, view).replace(os.sep, '\\')


def lay_out_drives(cfg, drives):
    """X:=FOLDER: a drive of its own, or, for C:, links to the folder's
    files among Windows' own. Returns what to take away afterwards."""
    made = []
    for letter, folder in drives:
        if letter != 'C':
            link = os.path.join(cfg.prefix, 'dosdevices', letter.lower() + ':')
            if os.path.lexists(link):
                os.remove(link)
            os.symlink(folder, link)
            made.append(link)
            continue
        drive_c = os.path.join(cfg.prefix, 'drive_c')
        for here, dirs, files in os.walk(folder):
            rel = os.path.relpath(here, folder)
            target = os.path.normpath(os.path.join(drive_c, rel))
            if not os.path.isdir(target):
                os.makedirs(target)
                made.append(target)
            for f in files:
                link = os.path.join(target, f)
                if not os.path.lexists(link):
                    os.symlink(os.path.join(here, f), link)
                    made.append(link)
    return made


def take_away(made):
    for path in reversed(made):
        if os.path.islink(path) or os.path.isfile(path):
            os.remove(path)
        elif os.path.isdir(path) and not os.listdir(path):
            os.rmdir(path)


def import_registry(s, cfg, registry, demo_dir):
    """The machine's records: none, or those of the .reg file. A file
    exported on 64-bit Windows names the 32-bit view's keys Wow6432Node;
    any other file is what 32-bit installers wrote, in the 32-bit view.
    Records an earlier demo imported go first, whatever key under SOFTWARE
    they were in (a disc may name its own)."""
    imported = os.path.join(demo_dir, 'imported-roots.txt')
    roots = {'Vantorel'}
    if os.path.exists(imported):
        with open(imported, encoding='utf-8') as f:
            roots.update(line.strip() for line in f if line.strip())
    s.records([], [], 'demo', roots=sorted(roots))
    if os.path.exists(imported):
        os.remove(imported)
    if not registry:
        return
    with open(registry, 'rb') as f:
        data = f.read()
    text = data.decode('utf-16') if data[:2] in (b'\xff\xfe', b'\xfe\xff') else data.decode('cp1252')
    found = re.findall(r'^\[HKEY_LOCAL_MACHINE\\SOFTWARE\\(?:Wow6432Node\\)?([^\\\]]+)', text, re.I | re.M)
    with open(imported, 'w', encoding='utf-8') as f:
        f.writelines('%s\n' % root for root in sorted(set(found)) if root.lower() != 'wow6432node')
    view = cfg.view
    if cfg.other_view and 'wow6432node' in text.lower():
        view = cfg.other_view
    rc = s.wine(['reg', 'import', driver.windows_path(registry)] + ([view] if view else []), 'wine.log')
    driver.equal(rc, 0, 'reg import ' + registry)


def first_window(case):
    """Waits for the launcher's first window; returns it and its kind."""
    state = {}

    def look():
        _, windows = case.s.probe()
        if case.launcher.poll() is not None:
            raise driver.Failure('the launcher ended (code %s) without a window' % case.launcher.returncode)
        if windows:
            state['w'] = windows[-1]
            return True
        return False
    driver.poll(look, driver.WAIT, 'the launcher\'s first window', interval=0.2)
    w = state['w']
    ids = sorted(c['id'] for c in w['children'])
    if 101 in ids:
        return w, 'choice'
    if 6 in ids and 7 in ids:
        return w, 'message box'
    return w, 'splash'


def main(argv):
    source_dir, demo_dir = argv[0], argv[1]
    disc, registry, drives = parse(argv[2:])
    os.environ['E2E_WORK'] = demo_dir
    driver.enter_wine32()
    cfg = driver.Config()
    print(cfg.under_test())
    driver.setup_prefix(cfg)

    view, launcher = lay_out_disc(cfg, source_dir, demo_dir, disc)
    link = os.path.join(cfg.prefix, 'dosdevices', 'd:')
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(view, link)
    print('disc: %s (drive D:)' % (disc or view))
    print('launcher: D:\\' + launcher)
    made = lay_out_drives(cfg, drives)
    try:
        return show(cfg, demo_dir, registry, launcher)
    finally:
        take_away(made)


def show(cfg, demo_dir, registry, launcher):
    log_dir = os.path.join(demo_dir, 'logs')
    shutil.rmtree(log_dir, ignore_errors=True)
    os.makedirs(log_dir)
    starts = os.path.join(demo_dir, 'starts.log')
    if os.environ.get('DISPLAY'):
        with driver.Session(cfg, log_dir, os.environ['DISPLAY']) as s:
            import_registry(s, cfg, registry, demo_dir)
            s.env['E2E_LOG'] = driver.windows_path(starts)
            rc = s.wine(['D:\\' + launcher], 'launcher.log', timeout=24 * 3600)
        print('launcher exit code %d' % rc)
        return 0

    with driver.Session(cfg, log_dir) as s:
        import_registry(s, cfg, registry, demo_dir)
        case = driver.Case(s, 'demo')
        case.starts_log = starts
        case.start('D:\\' + launcher)
        try:
            window, kind = first_window(case)
            if kind == 'splash' and not registry:
                # Nothing installed: the disc's picture, pixel for pixel.
                bmp = os.path.join(cfg.prefix, 'dosdevices', 'd:', *launcher.split('\\')[:-1])
                name = find_nocase(bmp, 'Launcher.bmp')
                try:
                    rows = driver.read_bmp(os.path.join(bmp, name))[2] if name else None
                except (AssertionError, IndexError, struct.error, OSError):
                    rows = None  # a kind of picture this script does not read
                if rows:
                    driver.check_pixels(case, window, rows)
            shot = os.path.join(demo_dir, 'splash.png')
            left, top, right, bottom = window['rect']
            full = os.path.join(log_dir, 'screen.png')
            s.save_png(full)
            # The window with a margin of desktop around it.
            margin = 24
            x, y = max(left - margin, 0), max(top - margin, 0)
            subprocess.run(['convert', full, '-crop', '%dx%d+%d+%d' % (right - left + 2 * margin,
                                                                       bottom - top + 2 * margin, x, y),
                            '+repage', shot], check=True)
            print('%s "%s": %s' % (kind, window['title'], shot))
            case.key(window, 'alt+n' if kind == 'message box' else 'Escape')
            case.finish([])
        except driver.Failure as e:
            fail(str(e))
        finally:
            case.stop()
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
