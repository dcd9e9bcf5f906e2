#!/usr/bin/env python3
"""Shows the launcher on a disc under Wine (used by demo.sh).

Usage: demo.py SOURCE_DIR DEMO_DIR [DISC] [--all [--gallery FILE.png]]
               [--registry FILE.reg] [--drive X:=FOLDER ...] [--disc X:]
               [--launcher FILE] [--launcher-dir NAME] [--codepage N]
               [--language XXXX]

DISC is the disc's root folder, the launcher's folder on it, or an ISO 9660
image of it (read by the names Windows shows); without it, the sample disc,
laid out with a stand-in setup.exe. The launcher's folder is found as
disccheck finds it (autorun.inf's open=, else the one folder that holds
launcher.exe or install.ini, else --launcher-dir NAME). The launcher that
runs is the build's (build/win32/launcher.exe), or with --launcher FILE that
file (the disc's own, signed one, say), put in the launcher's place;
everything else is the disc's, and nothing of it is changed: the launcher's
folder is a folder of links under build/demo. The disc is a CD-ROM drive,
D: or the letter --disc gives.

The machine the launcher runs on comes from disccheck --write-machines, the
same machine disccheck predicts for, so the two cannot disagree unseen:

  (nothing)      no product installed;
  --all          one machine per state that makes the launcher show a
                 different screen: nothing installed; product 1 installed;
                 both installed (the splash, then the choice between them);
                 product 1 incomplete with product 2 installed; all
                 incomplete (the repair message box). Each product's record
                 is made with the launcher's own code from install.ini, a
                 stand-in program where the record points, the disc's drive
                 as the drive it names;
  --registry     the installation records of a .reg file as the Registry
                 Editor exports it, each in the registry view a 32-bit
                 program reads it from on the machine it was exported on
                 (Wow6432Node keys of a 64-bit export are its 32-bit view);
  --drive X:=FOLDER  FOLDER's files as drive X: (on C:, beside Windows'
                 own), so that the programs the records name can be there.

Wine runs in a locale whose ANSI code page is the disc's (--codepage N,
else install.ini's [INSTALL] CodePage=N, else Windows-1252), e.g.
ja_JP.UTF-8 for 932 or pl_PL.UTF-8 for 1250, generated when the machine
lacks it, with a font that holds the code page's characters
(scripts/wine-locale.sh): the launcher shows the disc's bytes as a Windows
of that language does, and the texts read back from its windows are decoded
in that code page. The gallery and its HTML are UTF-8.

A disc with language sections ([Texts.0415], ...) shows other texts to
users of other languages. --language XXXX runs Wine as a user of that
Windows language (its locale, so its UI language and its ANSI code page:
0415 Polish in pl_PL.UTF-8 and 1250, 0807 German (Switzerland) in
de_CH.UTF-8; scripts/wine-locale.sh --list names them), on disccheck's
machines for that language (disccheck --language XXXX). With --all, a disc
with sections is shown to several users, one row of the gallery each: a
user of the disc's code page for whom no section applies (the disc's own
[Texts]), then a user of each section's language.

Without a display (DISPLAY unset), or with --all, an Xvfb screen is used:
every window the launcher shows is saved to build/demo/screens/STATE.png
(STATE-2.png for a second one), answered with its default (Enter) when disccheck predicts
that it leads to another window and otherwise cancelled (Escape, or No), so
nothing is started, and one line is printed for each:

  screen STATE: KIND "TITLE" PNG

--all also writes build/demo/gallery.png (the screens side by side, each
labelled with its state and what Enter and Cancel start; --gallery FILE.png
copies it there too) and gallery.html (one under the other, with
disccheck's findings and its prediction for each machine). Where the launcher shows other than disccheck predicts, that is
said and the exit status is 1. With a display, the launcher simply runs there
on the one machine."""

import json
import os
import re
import shutil
import struct
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import demo_languages  # noqa: E402
import driver  # noqa: E402

USAGE = ('usage: demo.sh [DISC] [--all [--gallery FILE.png]] [--registry FILE.reg] [--drive X:=FOLDER ...]\n'
         '               [--disc X:] [--launcher FILE] [--launcher-dir NAME] [--codepage N] [--language XXXX]')


def fail(message):
    sys.exit('demo: ' + message)


class Options:
    disc = None
    all = False
    registry = None
    drives = ()
    letter = None
    launcher = None
    launcher_dir = None
    gallery = None
    codepage = None
    language = None


def parse(argv):
    o = Options()
    o.drives = []
    i = 0
    while i < len(argv):
        a = argv[i]
        if a in ('-h', '--help'):
            print(USAGE + '\n')
            print(__doc__.split('\n\n', 2)[2])
            sys.exit(0)
        if a == '--all':
            o.all = True
            i += 1
            continue
        if a in ('--registry', '--drive', '--disc', '--launcher', '--launcher-dir', '--gallery', '--codepage',
                 '--language'):
            if i + 1 == len(argv):
                fail('%s needs a value\n%s' % (a, USAGE))
            value = argv[i + 1]
            i += 2
            if a == '--registry':
                o.registry = os.path.abspath(value)
            elif a == '--launcher':
                o.launcher = os.path.abspath(value)
            elif a == '--launcher-dir':
                o.launcher_dir = value
            elif a == '--gallery':
                o.gallery = os.path.abspath(value)
            elif a == '--codepage':
                # disccheck says which numbers it knows.
                if not value.isdigit():
                    fail('--codepage takes the disc\'s code page number, such as 932 or 1250, not %r\n%s'
                         % (value, USAGE))
                o.codepage = value
            elif a == '--language':
                if not re.match(r'^[0-9A-Fa-f]{4}$', value):
                    fail('--language takes a Windows language ID in 4 hex digits, such as 0407 or 0415, not %r\n%s'
                         % (value, USAGE))
                o.language = value.upper()
            elif a == '--disc':
                if not re.match(r'^[A-Za-z]:?$', value) or value[0].upper() in 'AB':
                    fail('--disc takes the disc\'s drive letter, such as E: (C: to Z:), not %r\n%s' % (value, USAGE))
                o.letter = value[0].upper()
            elif re.match(r'^[A-Za-z]:=.', value):
                o.drives.append((value[0].upper(), os.path.abspath(value[3:])))
            else:
                fail('--drive takes X:=FOLDER, not %r\n%s' % (value, USAGE))
            continue
        if a.startswith('-') or o.disc:
            fail('unexpected %r\n%s' % (a, USAGE))
        o.disc = os.path.abspath(a)
        i += 1
    if o.gallery and not o.all:
        fail('--gallery goes with --all\n' + USAGE)
    if o.gallery and not os.path.isdir(os.path.dirname(o.gallery)):
        fail('no folder %s for --gallery %s' % (os.path.dirname(o.gallery), o.gallery))
    if o.all and (o.registry or o.drives):
        fail('--all makes its own machines: it takes no --registry or --drive\n' + USAGE)
    if o.registry and not os.path.isfile(o.registry):
        fail('no registry file %s (--registry takes a .reg file as the Registry Editor exports it)' % o.registry)
    if o.launcher and not os.path.isfile(o.launcher):
        fail('no launcher file %s (--launcher takes the launcher.exe to show)' % o.launcher)
    for letter, folder in o.drives:
        if not os.path.isdir(folder):
            fail('no folder %s (for --drive %s:)' % (folder, letter))
        if letter == (o.letter or 'D'):
            fail('--drive %s: is the disc\'s drive; give the disc another letter with --disc' % letter)
    if o.disc and not os.path.exists(o.disc):
        fail('no disc folder or image %s (expected the disc\'s root folder, the launcher\'s folder or an '
             'ISO 9660 image)' % o.disc)
    return o


def find_nocase(folder, name):
    """The entry of folder that Windows would take for name, or None."""
    if os.path.exists(os.path.join(folder, name)):
        return name
    for entry in sorted(os.listdir(folder)):
        if entry.lower() == name.lower():
            return entry
    return None


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


def sample_disc(cfg, source_dir, demo_dir):
    """The sample disc, with the build's launcher and a stand-in installer."""
    sample = os.path.join(source_dir, 'samples', 'disc')
    folder = os.path.join(demo_dir, 'sample-disc')
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(os.path.join(folder, 'LAUNCH'))
    for name in ('autorun.inf', 'LAUNCH/install.ini', 'LAUNCH/Launcher.bmp'):
        shutil.copy(os.path.join(sample, name), os.path.join(folder, name))
    shutil.copy(cfg.launcher, os.path.join(folder, 'LAUNCH', 'launcher.exe'))
    shutil.copy(cfg.standin, os.path.join(folder, 'setup.exe'))
    return folder


def machines_of(o, disc, demo_dir, language=None, language_codepage=None):
    """disccheck's machines for this disc and these options, for a user of
    that language, whose Windows has that code page."""
    out_dir = os.path.join(demo_dir, 'machines' + ('-' + language if language else ''))
    shutil.rmtree(out_dir, ignore_errors=True)
    args = [driver.env('E2E_DISCCHECK'), disc, '--write-machines', out_dir]
    if language:
        args += ['--language', language]
    if o.launcher_dir:
        args += ['--launcher-dir', o.launcher_dir]
    # With --language, disccheck takes --codepage for the machine's code
    # page, which Wine here takes from the language.
    if o.codepage and (not language or int(o.codepage) == language_codepage):
        args += ['--codepage', o.codepage]
    if o.registry:
        args += ['--registry', o.registry]
    for letter, folder in o.drives:
        args += ['--drive', '%s:=%s' % (letter, folder)]
    if o.letter:
        args += ['--disc', o.letter + ':']
    log = os.path.join(demo_dir, 'disccheck%s.txt' % ('-' + language if language else ''))
    with open(log, 'wb') as out:
        r = subprocess.run(args, stdout=out, stderr=subprocess.PIPE)
    if r.returncode == 2 or not os.path.isfile(os.path.join(out_dir, 'machines.json')):
        fail(r.stderr.decode(errors='replace').strip().replace('disccheck: ', '', 1) or 'disccheck failed')
    with open(os.path.join(out_dir, 'machines.json'), encoding='utf-8') as f:
        return json.load(f), log


def lay_out_view(cfg, demo_dir, root, folder, launcher):
    """The folder that becomes the disc's drive: links to the disc's own
    files, the launcher's folder made of links too, with the launcher shown
    in the launcher's place. Returns the view and the launcher's path in it."""
    view = os.path.join(demo_dir, 'disc')
    shutil.rmtree(view, ignore_errors=True)
    os.makedirs(view)
    here_root, here_view = root, view
    parts = [p for p in folder.split('\\') if p]
    program = 'launcher.exe'
    for part in parts + [None]:
        found = find_nocase(here_root, part) if part else None
        if part and not found:
            fail('the launcher\'s folder %s is not on the disc' % folder)
        for entry in os.listdir(here_root):
            if entry != found and not (part is None and entry.lower() == program):
                os.symlink(os.path.join(here_root, entry), os.path.join(here_view, entry))
        if part:
            here_root = os.path.join(here_root, found)
            here_view = os.path.join(here_view, found)
            os.makedirs(here_view)
    name = find_nocase(here_root, program) or program
    own = os.path.join(here_root, name)
    if os.path.isfile(own) and launcher == cfg.launcher:
        with open(own, 'rb') as a, open(launcher, 'rb') as b:
            if a.read() != b.read():
                print('note: the disc\'s %s is not this build\'s launcher; the build\'s is shown '
                      '(--launcher %s shows the disc\'s)' % (name, own))
    shutil.copy(launcher, os.path.join(here_view, name))
    return view, os.path.relpath(os.path.join(here_view, name), view).replace(os.sep, '\\')


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


def reg_body(path):
    """The key and value lines of a .reg file disccheck wrote."""
    if not path:
        return ''
    with open(path, 'rb') as f:
        text = f.read().decode('utf-16')
    return text.split('\n', 1)[1] if '\n' in text else ''


def wow_path(key):
    """Where the 32-bit view keeps a key, as the 64-bit view names it."""
    if key.lower().startswith('software\\'):
        return 'SOFTWARE\\Wow6432Node\\' + key[9:]
    return key


def apply_machine(s, cfg, machine, all_keys, letter, n):
    """The machine's installation records in the registry, every record of
    the other machines gone, and the disc's drive a CD-ROM drive."""
    def import_reg(text, name, view):
        path = os.path.join(s.log_dir, name)
        with open(path, 'wb') as f:
            f.write(('Windows Registry Editor Version 5.00\r\n' + text).replace('\r\n', '\n')
                    .replace('\n', '\r\n').encode('utf-16'))
        rc = s.wine(['reg', 'import', driver.windows_path(path)] + ([view] if view else []), 'wine.log')
        driver.equal(rc, 0, 'reg import ' + name)

    drive = '\r\n[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n"%s:"="cdrom"\r\n' % letter.lower()
    wipe = ''.join('\r\n[-HKEY_LOCAL_MACHINE\\%s]\r\n' % k for k in all_keys)
    if not cfg.other_view:
        # One view (a 32-bit prefix, or the 64-bit launcher's own): where
        # both views hold a key, the 32-bit one is what the launcher finds
        # first, so it goes in last.
        import_reg(drive + wipe + reg_body(machine['reg64']) + reg_body(machine['reg32']),
                   'machine-%d.reg' % n, cfg.view)
        return
    # reg import deletes keys in the 64-bit view whatever view it is given,
    # so the 32-bit view's keys go by the path they have there.
    wipe32 = ''.join('\r\n[-HKEY_LOCAL_MACHINE\\%s]\r\n' % wow_path(k) for k in all_keys)
    import_reg(drive + wipe + wipe32 + reg_body(machine['reg64']), 'machine64-%d.reg' % n, cfg.other_view)
    if machine['reg32']:
        import_reg(reg_body(machine['reg32']), 'machine32-%d.reg' % n, cfg.view)


def kind_of(window):
    ids = sorted(c['id'] for c in window['children'])
    if 101 in ids:
        return 'choice'
    if 6 in ids and 7 in ids:
        return 'message box'
    return 'splash'


def signature(window):
    return (window['title'], window['rect'], tuple((c['id'], c['text']) for c in window['children']))


def next_window(case, before):
    """Waits for a launcher window other than before; returns it."""
    state = {}

    def look():
        _, windows = case.s.probe()
        new = [w for w in windows if signature(w) != before]
        if new:
            state['w'] = new[-1]
            return True
        if case.launcher.poll() is not None:
            raise driver.Failure('the launcher ended (code %s) without showing a window' % case.launcher.returncode)
        return False
    driver.poll(look, driver.WAIT, 'the launcher\'s window', interval=0.2)
    return state['w']


def shown_text(window, kind):
    """What the prediction names the window by: the splash's action button,
    the choice's message, the message box's text."""
    if kind == 'splash':
        return next((c['text'] for c in window['children'] if c['id'] == 1), '')
    if kind == 'choice':
        return next((c['text'] for c in window['children'] if c['id'] == 105), '')
    texts = [c['text'] for c in window['children'] if c['class'].lower() == 'static' and c['text']]
    return texts[-1] if texts else ''


def save_window(s, window, path, log_dir):
    """The window with a margin of desktop around it."""
    full = os.path.join(log_dir, 'screen.png')
    s.save_png(full)
    left, top, right, bottom = window['rect']
    margin = 24
    x, y = max(left - margin, 0), max(top - margin, 0)
    w, h = min(right + margin, 1024) - x, min(bottom + margin, 768) - y
    subprocess.run(['convert', full, '-crop', '%dx%d+%d+%d' % (w, h, x, y), '+repage', path], check=True)


def check_splash_pixels(case, window, view, launcher):
    """Nothing installed: the disc's picture, pixel for pixel."""
    folder = os.path.join(view, *launcher.split('\\')[:-1])
    name = find_nocase(folder, 'Launcher.bmp')
    try:
        rows = driver.read_bmp(os.path.join(folder, name))[2] if name else None
    except (AssertionError, IndexError, struct.error, OSError):
        rows = None  # a kind of picture this script does not read
    if rows:
        driver.check_pixels(case, window, rows)


def run_machine(s, cfg, machine, launcher, demo_dir, view, shots, run):
    """Runs the launcher on the machine, saves each window it shows, and
    answers it. Returns what differs from disccheck's prediction."""
    state = machine['state']
    # Each language's screens and logs apart; without one, as always.
    named = '%s-%s' % (run.language, state) if run.language else state
    where = ' (%s)' % run.who() if run.language else ''
    case = driver.Case(s, 'demo-' + named)
    case.starts_log = os.path.join(demo_dir, 'logs', 'starts-%s.log' % named)
    case.start('%s:\\%s' % (view['letter'], launcher))
    disagree = []
    before = None
    try:
        predicted = machine['screens']
        for n, screen in enumerate(predicted):
            window = next_window(case, before)
            kind = kind_of(window)
            text = shown_text(window, kind)
            if (kind, text) != (screen['kind'], screen['text']):
                disagree.append('%s%s: disccheck predicts %s, the launcher shows %s "%s"'
                                % (state, where, screen['description'], kind, text))
            # A section's own picture is the end-to-end cases' to check.
            if kind == 'splash' and n == 0 and state in ('nothing-installed',) and view['checks_pixels'] \
                    and not run.section:
                check_splash_pixels(case, window, view['folder'], launcher)
            png = os.path.join(demo_dir, 'screens', *([run.language] if run.language else []),
                               '%s%s.png' % (state, '-%d' % (n + 1) if n else ''))
            os.makedirs(os.path.dirname(png), exist_ok=True)
            save_window(s, window, png, s.log_dir)
            shots.append({'state': state, 'label': machine['label'], 'n': n + 1, 'kind': kind,
                          'title': window['title'], 'texts': [c['text'] for c in window['children']],
                          'png': png, 'enter_label': screen['enter_label'], 'enter': screen['enter'],
                          'cancel_label': screen['cancel_label'], 'cancel': screen['cancel'],
                          'language': run.language, 'language_name': run.name, 'section': run.section})
            print('screen %s%s: %s "%s" %s' % (state, where, kind, window['title'], png), flush=True)
            if screen['enter'] == 'shows the next window' and n + 1 < len(predicted):
                before = signature(window)
                case.key(window, 'Return')
                continue
            case.key(window, 'alt+n' if kind == 'message box' else 'Escape')
            break
        case.finish([])
    except driver.Failure as e:
        disagree.append('%s%s: %s' % (state, where, e))
    finally:
        case.stop()
    return disagree


def label_of(shot):
    """The state, and what Enter and Cancel start."""
    head = shot['label'] + (', after Enter' if shot['n'] > 1 else '')
    return head, '%s: %s\n%s: %s' % (shot['enter_label'], shot['enter'], shot['cancel_label'], shot['cancel'])


def im_text(text):
    """Text as ImageMagick's caption: takes it, not as its escapes."""
    return text.replace('\\', '\\\\').replace('%', '%%')


# The captions' fonts (regular, bold) where DejaVu lacks the code page's
# letters: the fonts scripts/wine-locale.sh installs for it.
WQY = '/usr/share/fonts/truetype/wqy/wqy-microhei.ttc'
CAPTION_FONTS = {932: (WQY, WQY), 936: (WQY, WQY), 949: (WQY, WQY), 950: (WQY, WQY),
                 874: ('/usr/share/fonts/truetype/tlwg/Loma.ttf', '/usr/share/fonts/truetype/tlwg/Loma-Bold.ttf')}


def write_gallery(demo_dir, runs, shots):
    """The screens side by side; a row for each language, headed by it,
    where the disc is shown in several."""
    rows = []
    for r, run in enumerate(runs):
        mine = [shot for shot in shots if shot['language'] == run.language]
        row = write_row(demo_dir, mine, run.codepage, 'row-%d' % r)
        if not run.language:
            return shutil.copy(row, os.path.join(demo_dir, 'gallery.png'))
        head = os.path.join(demo_dir, 'logs', 'head-%d.png' % r)
        subprocess.run(['convert', '-background', 'white', '-fill', 'black', '-font', 'DejaVu-Sans-Bold',
                        '-pointsize', '18', 'label:' + im_text(run.label()), '-bordercolor', 'white',
                        '-border', '12', head], check=True)
        rows += [head, row]
    gallery = os.path.join(demo_dir, 'gallery.png')
    subprocess.run(['convert', '-background', 'white', '-gravity', 'northwest'] + rows +
                   ['-append', '-strip', '-define', 'png:exclude-chunks=date,time', gallery], check=True)
    return gallery


def write_row(demo_dir, shots, codepage, name):
    regular, bold = CAPTION_FONTS.get(codepage, ('DejaVu-Sans', 'DejaVu-Sans-Bold'))
    tiles = []
    for i, shot in enumerate(shots):
        width = int(subprocess.run(['identify', '-format', '%w', shot['png']], stdout=subprocess.PIPE,
                                   check=True).stdout)
        tile = os.path.join(demo_dir, 'logs', '%s-tile-%d.png' % (name, i))
        head, lines = label_of(shot)
        caption = ['-size', '%dx' % max(width, 320), '-background', 'white', '-fill', 'black']
        subprocess.run(['convert', shot['png'],
                        '('] + caption + ['-font', bold, '-pointsize', '14', 'caption:' + im_text(head),
                                          ')',
                        '('] + caption + ['-font', regular, '-pointsize', '13', 'caption:' + im_text(lines),
                                          ')',
                        '-background', 'white', '-gravity', 'northwest', '-append', '-bordercolor', 'white',
                        '-border', '12', tile], check=True)
        tiles.append(tile)
    row = os.path.join(demo_dir, 'logs', name + '.png')
    # Without the time it was made, so that the same screens give the same file.
    subprocess.run(['convert', '-background', 'white', '-gravity', 'north'] + tiles +
                   ['+append', '-strip', '-define', 'png:exclude-chunks=date,time', row], check=True)
    return row


def html(text):
    return text.replace('&', '&amp;').replace('<', '&lt;').replace('>', '&gt;').replace('"', '&quot;')


def write_html(demo_dir, name, runs, shots, disagree, left_out):
    data = runs[0].data
    parts = ['<!DOCTYPE html>', '<html><head><meta charset="utf-8"><title>Every screen of the disc</title>',
             '<style>body{font-family:sans-serif;margin:2em}pre{background:#f4f4f4;padding:1em;white-space:pre-wrap}'
             '.bad{color:#a00}</style></head><body>',
             '<h1>Every screen of %s</h1>' % html(name),
             '<p>The launcher %s, run under Wine on each machine below, the machines and the predictions made by '
             'disccheck.</p>' % html(data['disc']['launcher']),
             '<p>disccheck on the disc: %s</p>' % ('no finding' if not data['findings'] else '')]
    if data['findings']:
        parts.append('<pre>%s</pre>' % html('\n'.join(data['findings'])))
    for line in disagree:
        parts.append('<p class="bad">%s</p>' % html(line))
    for run in runs:
        write_html_run(parts, demo_dir, run, [x for x in shots if x['language'] == run.language])
    for line in left_out:
        parts.append('<h2>not shown</h2><p>%s</p>' % html(line))
    parts.append('</body></html>')
    path = os.path.join(demo_dir, 'gallery.html')
    with open(path, 'w', encoding='utf-8') as f:
        f.write('\n'.join(parts) + '\n')
    return path


def write_html_run(parts, demo_dir, run, shots):
    """The machines of one language, under its heading where it has one."""
    h = 'h3' if run.language else 'h2'
    if run.language:
        parts.append('<h2>%s</h2>' % html(run.label()))
    for m in run.data['machines']:
        parts.append('<%s>%s</%s>' % (h, html(m['label']), h))
        for shot in [x for x in shots if x['state'] == m['state']]:
            parts.append('<p><img src="%s" alt="%s"><br>%s: %s<br>%s: %s</p>' % (
                html(os.path.relpath(shot['png'], demo_dir)), html('%s "%s"' % (shot['kind'], shot['title'])),
                html(shot['enter_label']), html(shot['enter']), html(shot['cancel_label']), html(shot['cancel'])))
        parts.append('<p>disccheck predicts on this machine:</p><pre>%s</pre>' % html(m['prediction']))
    for m in run.data['skipped']:
        parts.append('<%s>%s</%s><p>not shown: %s</p>' % (h, html(m['label']), h, html(m['why'])))


def main(argv):
    started = time.monotonic()
    # Names and texts of any code page go out as UTF-8, whatever the
    # terminal's locale says.
    for stream in (sys.stdout, sys.stderr):
        stream.reconfigure(encoding='utf-8', errors='replace')
    source_dir, demo_dir = argv[0], argv[1]
    o = parse(argv[2:])
    os.environ['E2E_WORK'] = demo_dir
    driver.enter_wine32()
    cfg = driver.Config()
    print(cfg.under_test())
    driver.setup_prefix(cfg)
    launcher = o.launcher or cfg.launcher

    # The disc as disccheck reads it, and the folder Wine shows as its drive.
    if o.disc is None:
        disc = root = sample_disc(cfg, source_dir, demo_dir)
    elif os.path.isfile(o.disc):
        disc, root = o.disc, os.path.join(demo_dir, 'image')
        extract_image(o.disc, root)
    else:
        disc = o.disc
    data, check_log = machines_of(o, disc, demo_dir)
    if os.path.isdir(disc):
        root = data['disc']['root']
    letter = data['disc']['letter']
    view, launcher_path = lay_out_view(cfg, demo_dir, root, data['disc']['folder'], launcher)
    # The machine has no drive but Windows' own C:, the disc and the drives
    # it is given (and Z:, Wine's view of this computer, which the demo
    # reaches its files by): none that an earlier run or Wine's set-up made.
    dosdevices = os.path.join(cfg.prefix, 'dosdevices')
    for entry in os.listdir(dosdevices):
        if re.match(r'^[a-y]:$', entry) and entry != 'c:':
            os.remove(os.path.join(dosdevices, entry))
    link = os.path.join(cfg.prefix, 'dosdevices', letter.lower() + ':')
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(view, link)
    print('disc: %s (drive %s:)' % (o.disc or root, letter))
    print('launcher: %s:\\%s (%s)' % (letter, launcher_path,
                                     'given with --launcher: ' + launcher if o.launcher else 'the build\'s'))
    print('disccheck: %s' % check_log)
    for finding in data['findings']:
        print('disccheck ' + finding)

    runs, left_out = demo_languages.runs(
        o, data, lambda language, codepage: machines_of(o, disc, demo_dir, language, codepage)[0], fail)
    for run in runs:
        run.machines = run.data['machines'] if o.all else run.data['machines'][:1]
    for m in runs[0].data['skipped'] if o.all else []:
        print('not shown: %s: %s' % (m['label'], m['why']))
    for line in left_out:
        print('not shown: ' + line)
    # Every record this demo may have left in the prefix before goes too.
    written = os.path.join(demo_dir, 'registry-keys.txt')
    keys = {k for run in runs for m in run.data['machines'] for k in m['keys']} | {'SOFTWARE\\Vantorel'}
    if os.path.isfile(written):
        with open(written, encoding='utf-8') as f:
            keys |= {line.rstrip('\n') for line in f if line.strip()}
    all_keys = sorted(keys)
    with open(written, 'w', encoding='utf-8') as f:
        f.writelines(k + '\n' for k in all_keys)
    for m in (m for run in runs for m in run.machines):
        for p in m['programs']:
            # disccheck made them empty: stand-ins that say they were started.
            for d in m['drives']:
                if p[0].upper() == d['letter']:
                    shutil.copy(cfg.standin, os.path.join(d['folder'], *p[3:].split('\\')))

    log_dir = os.path.join(demo_dir, 'logs')
    for folder in (log_dir, os.path.join(demo_dir, 'screens')):
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
    display = os.environ.get('DISPLAY') if not o.all else None
    shots, disagree = [], []
    with driver.Session(cfg, log_dir, display) as s:
        for run in runs:
            try:
                if run.language:
                    s.use_language(run.language)
                else:
                    s.use_code_page(run.codepage)
            except driver.Failure as e:
                fail(str(e))
            if run.language:
                print('wine: %s (%s), locale %s, code page %d: disccheck predicts [%s]'
                      % (run.name, run.language, s.env['LC_ALL'], s.codepage, run.section or 'Texts'))
            elif run.codepage != 1252:
                print('wine: code page %d, locale %s' % (run.codepage, s.env['LC_ALL']))
            for n, m in enumerate(run.machines):
                made = lay_out_drives(cfg, [(d['letter'], d['folder']) for d in m['drives']])
                try:
                    apply_machine(s, cfg, m, all_keys, letter, n)
                    if display:
                        s.env['E2E_LOG'] = driver.windows_path(os.path.join(demo_dir, 'starts.log'))
                        rc = s.wine(['%s:\\%s' % (letter, launcher_path)], 'launcher.log', timeout=24 * 3600)
                        print('launcher exit code %d' % rc)
                        return 0
                    checks = {'letter': letter, 'folder': view, 'checks_pixels': o.launcher is None}
                    disagree += run_machine(s, cfg, m, launcher_path, demo_dir, checks, shots, run)
                finally:
                    take_away(made)
    with open(os.path.join(demo_dir, 'screens.json'), 'w', encoding='utf-8') as f:
        json.dump({'screens': shots, 'disagreements': disagree}, f, indent=1, ensure_ascii=False)
    if o.all:
        gallery = write_gallery(demo_dir, runs, shots)
        print('gallery: %s' % gallery)
        print('gallery: %s' % write_html(demo_dir, o.disc or 'the sample disc', runs, shots, disagree, left_out))
        if o.gallery:
            shutil.copy(gallery, o.gallery)
            print('gallery: %s' % o.gallery)
    count = sum(len(run.machines) for run in runs)
    print('demo: %d screens of %d machines in %.1f s' % (len(shots), count, time.monotonic() - started))
    for line in disagree:
        print('demo: disagreement: ' + line, file=sys.stderr)
    return 1 if disagree else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
