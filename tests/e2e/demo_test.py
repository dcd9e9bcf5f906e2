#!/usr/bin/env python3
"""./demo.sh as a disc author runs it, over a table of discs and machines:
the windows it shows, in order, by their kind and title as the probe read
them from the window manager (not their pixels), the line it prints for
each, and its agreement with disccheck (it exits 1 where the launcher shows
other than disccheck predicts for the same machine).

Usage: demo_test.py SOURCE_DIR WORK_DIR [ROW ...]
DEMO_DIR (where the demo keeps its Wine prefix) is WORK_DIR, so the prefix
the end-to-end cases made serves here too."""

import json
import os
import re
import shutil
import subprocess
import sys
import time

TITLE = 'Brindlemark Practice'
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
# The programs the discs here are made of: the build's, as demo.sh builds them.
LAUNCHER = os.environ.get('E2E_LAUNCHER', os.path.join(SOURCE_DIR, 'build/win32/launcher.exe'))
STANDIN = os.environ.get('E2E_STANDIN32', os.path.join(SOURCE_DIR, 'build/native/tests/e2e/standin32.exe'))


def utf16(text):
    return b'\xff\xfe' + text.replace('\n', '\r\n').encode('utf-16-le')


def cp1252(text):
    return text.replace('\n', '\r\n').encode('cp1252')


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as f:
        f.write(data if isinstance(data, bytes) else data.encode())


class Row:
    def __init__(self, name, args, screens, lay_out=None, status=0):
        self.name = name
        self.args = args          # "@" stands for the row's scratch folder, "^" for the source folder
        self.screens = screens    # (state, kind, title, text of the action button or message)
        self.lay_out = lay_out    # makes the row's disc and machine in its scratch folder
        self.status = status


def sample_copy(src, scratch, folder='LAUNCH', ini=None):
    """The sample disc with the build's launcher, its launcher's folder
    named folder, install.ini replaced by ini (bytes)."""
    disc = os.path.join(scratch, 'disc')
    os.makedirs(os.path.join(disc, folder))
    shutil.copy(os.path.join(src, 'samples/disc/autorun.inf'), disc)
    for name in ('install.ini', 'Launcher.bmp'):
        shutil.copy(os.path.join(src, 'samples/disc/LAUNCH', name), os.path.join(disc, folder))
    shutil.copy(LAUNCHER, os.path.join(disc, folder))
    shutil.copy(STANDIN, os.path.join(disc, 'setup.exe'))
    if ini is not None:
        write(os.path.join(disc, folder, 'install.ini'), ini)
    return disc


def blank_in_folder(src, scratch):
    disc = sample_copy(src, scratch, 'Lumora Startprogramm')
    write(os.path.join(disc, 'autorun.inf'),
          cp1252('[autorun]\nopen=Lumora Startprogramm\\launcher.exe\nicon=Lumora Startprogramm\\launcher.exe\n'))


def records_on_e(src, scratch):
    """Both products recorded as installed from drive E:."""
    write(os.path.join(scratch, 'on-e.reg'), cp1252(
        'REGEDIT4\n\n'
        '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Brindlemark Paper Test\\3.1\\PaperTest]\n'
        '"CD"="E:\\\\"\n"CommandLine"="\\"C:\\\\Program Files\\\\Brindlemark\\\\Paper.exe\\" /cd=E:"\n\n'
        '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Brindlemark Adaptive Test\\3.1\\AdaptiveTest]\n'
        '"CD"="E:"\n"CommandLine"="\\"C:\\\\Program Files\\\\Brindlemark\\\\Adaptive.exe\\""\n'))


def own_launcher(src, scratch):
    """A disc without ProductName, and a launcher of its own whose splash
    template is titled otherwise than the build's."""
    ini = open(os.path.join(src, 'samples/disc/LAUNCH/install.ini'), 'rb').read()
    sample_copy(src, scratch, ini=re.sub(rb'ProductName=[^\r\n]*', b'ProductName=', ini))
    data = open(LAUNCHER, 'rb').read()
    # The splash template's title, then its font: 8 point "Helv".
    font = b'\0\0\x08\0' + 'Helv'.encode('utf-16-le')
    old = 'CD AutoPlay Launcher'.encode('utf-16-le') + font
    new = 'CD AutoPlay Preview!'.encode('utf-16-le') + font
    assert data.count(old) == 1
    write(os.path.join(scratch, 'own', 'launcher.exe'), data.replace(old, new))


def utf16_ini(src, scratch):
    text = open(os.path.join(src, 'samples/disc/LAUNCH/install.ini'), 'rb').read().decode('cp1252')
    sample_copy(src, scratch, ini=utf16(text.replace('\r\n', '\n')))


def umlauts_in_folders(src, scratch):
    """Product 1 installed in a folder named beyond ASCII, on a drive whose
    folder is named so too; the record in ANSI, as the Registry Editor
    exports it."""
    program = os.path.join(scratch, 'Laufwerk C für Schüler', 'Programme', 'Sprachtrainer für Schüler', 'Paper.exe')
    os.makedirs(os.path.dirname(program))
    shutil.copy(STANDIN, program)
    write(os.path.join(scratch, 'umlauts.reg'), cp1252(
        'REGEDIT4\n\n'
        '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\Brindlemark Paper Test\\3.1\\PaperTest]\n'
        '"CD"="D:\\\\"\n"CommandLine"="\\"C:\\\\Programme\\\\Sprachtrainer für Schüler\\\\Paper.exe\\""\n'))


def german_disc(src, scratch):
    """The German sample as it is, its launcher and a stand-in installer
    where its install.ini names it."""
    disc = os.path.join(scratch, 'disc')
    shutil.copytree(os.path.join(src, 'samples/disc-de'), disc, ignore=shutil.ignore_patterns('*.exe'))
    shutil.copy(LAUNCHER, os.path.join(disc, 'START', 'launcher.exe'))
    os.makedirs(os.path.join(disc, 'Installation'), exist_ok=True)
    shutil.copy(STANDIN, os.path.join(disc, 'Installation', 'Setup.exe'))


GERMAN = 'Auenthal \xdcbungspaket'
POLISH_DE = 'Auenthal Pakiet \u0107wicze\u0144'
POLISH = 'Słownik Ćwiczeń'


def polish_disc(src, scratch):
    """A Polish publisher's disc in code page 1250, its launcher in a folder
    named Początek; install.ini declares no code page (--codepage does)."""
    disc = sample_copy(src, scratch, 'Początek', ini=(
        '[INSTALL]\nConfigFile=install.ini\nProductName=%s\nProduct=PaperTest, AdaptiveTest\n\n'
        '[PaperTest]\nProgramName=Słownik ortograficzny\nVersion=3.1\n\n'
        '[AdaptiveTest]\nProgramName=Ćwiczenia gramatyczne\nVersion=3.1\n\n'
        '[Texts]\nInstall=&Instaluj\nRun=&Uruchom\nCancel=&Anuluj\nRunFirst=&Słownik\nRunSecond=Ć&wiczenia\n'
        'BothInstalledText=Na tym komputerze zainstalowano {First} i {Second}. Który program uruchomić?\n'
        'OneIncompleteText=Instalacja {Incomplete} jest niekompletna. <Instaluj> zainstaluje go ponownie, '
        '<Uruchom> otworzy {Runnable}.\n'
        'RepairText=Instalacja jest niekompletna. Zainstalować {ProductName} ponownie?\nRepairCaption=%s\n'
        % (POLISH, POLISH)).replace('\n', '\r\n').encode('cp1250'))
    write(os.path.join(disc, 'autorun.inf'),
          '[autorun]\r\nopen=Początek\\launcher.exe\r\nicon=Początek\\launcher.exe\r\n'.encode('cp1250'))

ROWS = [
    Row('every screen of the sample disc', ['^/samples/disc', '--all'],
        [('nothing-installed', 'splash', TITLE, '&Install'), ('product-1-installed', 'splash', TITLE, '&Run'),
         ('both-installed', 'splash', TITLE, '&Run'), ('both-installed', 'choice', TITLE, 'You have 2 '),
         ('one-incomplete', 'choice', TITLE, 'Brindlemark Paper Test Setup is incomplete.'),
         ('all-incomplete', 'message box', 'CD Launcher', 'Setup is incomplete.')]),
    # Another publisher's disc: its own keys, values, installer and texts
    # make its machines and show on every screen.
    Row('every screen of the German sample disc', ['@/disc', '--all'],
        [('nothing-installed', 'splash', GERMAN, '&Installieren'), ('product-1-installed', 'splash', GERMAN, '&Starten'),
         ('both-installed', 'splash', GERMAN, '&Starten'), ('both-installed', 'choice', GERMAN, 'Auf diesem Computer'),
         ('one-incomplete', 'choice', GERMAN, 'Die Installation von Grammatiktrainer'),
         ('all-incomplete', 'message box', GERMAN, 'Die Installation ist unvollst\xe4ndig.')] +
        # Those to a German user; then to an English and a Polish one.
        [('nothing-installed', 'splash', GERMAN, '&Install'), ('product-1-installed', 'splash', GERMAN, '&Run'),
         ('both-installed', 'splash', GERMAN, '&Run'), ('both-installed', 'choice', GERMAN, 'You have Grammatik'),
         ('one-incomplete', 'choice', GERMAN, 'The installation of Grammatiktrainer'),
         ('all-incomplete', 'message box', GERMAN, 'The installation is incomplete.'),
         ('nothing-installed', 'splash', POLISH_DE, '&Instaluj'), ('product-1-installed', 'splash', POLISH_DE, '&Uruchom'),
         ('both-installed', 'splash', POLISH_DE, '&Uruchom'), ('both-installed', 'choice', POLISH_DE, 'Na tym komputerze'),
         ('one-incomplete', 'choice', POLISH_DE, 'Instalacja Grammatiktrainer jest'),
         ('all-incomplete', 'message box', POLISH_DE, 'Instalacja jest niekompletna.')], german_disc),
    Row('the German sample disc to a Polish user', ['@/disc', '--language', '0415'],
        [('nothing-installed', 'splash', POLISH_DE, '&Instaluj')], german_disc),
    # A 64-bit Registry Editor export: its Wow6432Node keys are the 32-bit
    # view the launcher reads first, whatever Wine's prefix has.
    # Polish, code page 1250, under Wine set to Polish: every screen in
    # Polish, from a launcher in a folder named beyond ASCII.
    Row('every screen of a Polish disc in Początek', ['@/disc', '--all', '--codepage', '1250'],
        [('nothing-installed', 'splash', POLISH, '&Instaluj'), ('product-1-installed', 'splash', POLISH, '&Uruchom'),
         ('both-installed', 'splash', POLISH, '&Uruchom'), ('both-installed', 'choice', POLISH, 'Na tym komputerze'),
         ('one-incomplete', 'choice', POLISH, 'Instalacja Słownik ortograficzny jest'),
         ('all-incomplete', 'message box', POLISH, 'Instalacja jest niekompletna.')], polish_disc),
    Row('a 64-bit export', ['^/samples/disc', '--registry', '^/samples/machines/paper-incomplete.reg',
                            '--drive', 'C:=^/samples/machines/drive-c'],
        [('paper-incomplete', 'choice', TITLE, 'Brindlemark Paper Test Setup is incomplete.')]),
    Row('the disc given by its launcher\'s folder', ['^/samples/disc/LAUNCH', '--registry',
                                                    '^/samples/machines/both-installed.reg',
                                                    '--drive', 'C:=^/samples/machines/drive-c'],
        [('both-installed', 'splash', TITLE, '&Run'), ('both-installed', 'choice', TITLE, 'You have 2 ')]),
    Row('a blank in the launcher\'s folder, open= not quoted', ['@/disc'],
        [('nothing-installed', 'splash', TITLE, '&Install')], blank_in_folder),
    Row('records naming drive E:, the disc on D:', ['^/samples/disc', '--registry', '@/on-e.reg',
                                                    '--drive', 'C:=^/samples/machines/drive-c'],
        [('on-e', 'message box', 'CD Launcher', 'Setup is incomplete.')], records_on_e),
    Row('records naming drive E:, the disc on E:', ['^/samples/disc', '--registry', '@/on-e.reg',
                                                    '--drive', 'C:=^/samples/machines/drive-c', '--disc', 'E:'],
        [('on-e', 'splash', TITLE, '&Run'), ('on-e', 'choice', TITLE, 'You have 2 ')], records_on_e),
    Row('the disc\'s own launcher', ['@/disc', '--launcher', '@/own/launcher.exe'],
        [('nothing-installed', 'splash', 'CD AutoPlay Preview!', '&Install')], own_launcher),
    Row('install.ini saved as UTF-16', ['@/disc', '--registry', '^/samples/machines/both-installed.reg',
                                        '--drive', 'C:=^/samples/machines/drive-c'],
        [('both-installed', 'splash', TITLE, '&Run'), ('both-installed', 'choice', TITLE, 'You have 2 ')],
        utf16_ini),
    Row('folders named beyond ASCII', ['^/samples/disc', '--registry', '@/umlauts.reg',
                                       '--drive', 'C:=@/Laufwerk C für Schüler'],
        [('umlauts', 'splash', TITLE, '&Run')], umlauts_in_folders),
]


def run_row(src, work, row):
    scratch = os.path.join(work, 'demo-test', re.sub(r'\W+', '-', row.name))
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(scratch)
    if row.lay_out:
        row.lay_out(src, scratch)
    args = [a.replace('@', scratch).replace('^', src) for a in row.args]
    # As a user runs it: demo.sh names every program the demo needs itself.
    env = {k: v for k, v in os.environ.items() if not k.startswith('E2E_') and k != 'DISPLAY'}
    env['DEMO_DIR'] = work
    log = os.path.join(scratch, 'demo.log')
    with open(log, 'wb') as out:
        status = subprocess.run([os.path.join(src, 'demo.sh')] + args, stdout=out, stderr=subprocess.STDOUT,
                                env=env, timeout=600).returncode
    text = open(log, 'rb').read().decode('utf-8', errors='replace')
    problems = []
    if status != row.status:
        problems.append('demo.sh exited with %d, not %d' % (status, row.status))
    with open(os.path.join(work, 'screens.json'), encoding='utf-8') as f:
        shown = json.load(f)
    got = [(s['state'], s['kind'], s['title']) for s in shown['screens']]
    want = [(state, kind, title) for state, kind, title, _ in row.screens]
    if got != want:
        problems.append('windows (state, kind, title): got %r, want %r' % (got, want))
    for s, (_, kind, _, text_start) in zip(shown['screens'], row.screens):
        if not any(t.startswith(text_start) for t in s['texts']):
            problems.append('%s %s: no text starting %r in %r' % (s['state'], kind, text_start, s['texts']))
        where = ' (%s, %s)' % (s['language_name'], s['language']) if s.get('language') else ''
        line = 'screen %s%s: %s "%s" %s' % (s['state'], where, s['kind'], s['title'], s['png'])
        if line not in text.splitlines() or not os.path.isfile(s['png']):
            problems.append('no line %r with its picture' % line)
    problems += ['disagrees with disccheck: ' + d for d in shown['disagreements']]
    if '--all' in row.args:
        for name in ('gallery.png', 'gallery.html'):
            if not os.path.isfile(os.path.join(work, name)):
                problems.append('no ' + name)
    return problems, log


def main(argv):
    src, work = os.path.abspath(argv[0]), os.path.abspath(argv[1])
    names = argv[2:]
    failed = 0
    for row in ROWS:
        if names and row.name not in names:
            continue
        t0 = time.monotonic()
        problems, log = run_row(src, work, row)
        if problems:
            failed += 1
            print('FAIL  %-56s %5.1fs\n      %s\n      log: %s' % (row.name, time.monotonic() - t0,
                                                                   '\n      '.join(problems), log), flush=True)
        else:
            print('ok    %-56s %5.1fs' % (row.name, time.monotonic() - t0), flush=True)
    return 1 if failed else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
