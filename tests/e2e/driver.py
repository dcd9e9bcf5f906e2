#!/usr/bin/env python3
"""End-to-end cases for the launcher under Wine, driven as a user would.

Each case lays out a fresh disc folder (the launcher in LAUNCH\\ with its
install.ini and maybe a Launcher.bmp, a stand-in setup.exe one level up),
maps it as CD-ROM drive D:, writes the installation records, starts the
launcher on an Xvfb screen, checks what is on screen (through the window
manager, by probe.exe, and in the screenshot's pixels), answers with the
keyboard or the mouse (xdotool), and checks which stand-in program was
started with which command line and that the launcher exited with 1.

Usage: driver.py --setup                 make the Wine prefix
       driver.py [--windows V] CASE|GROUP ...
                                         run cases (or whole groups), with
                                         Wine playing Windows version V
       driver.py --list                  name the cases
Paths come from the environment the build sets up (see CMakeLists.txt):
E2E_WORK, E2E_LAUNCHER, E2E_LAUNCHER64, E2E_STANDIN32/64, E2E_PROBE32/64, E2E_MARKER32/64,
E2E_DEFAULT_BMP. The shipped 32-bit launcher runs the way
scripts/wine32.sh finds (WINE32_VIA there picks one); the driver re-runs
itself under that script. Only where no way works does it run the 64-bit
build, and then says so on every run. A failed case is tried once more; one
that passes then is reported as flaky, here and in E2E_WORK/flaky.txt."""

import os
import shutil
import signal
import struct
import subprocess
import sys
import time

WINE_LIB = '/usr/lib/wine'
SOURCE_DIR = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WINE32_SH = os.path.join(SOURCE_DIR, 'scripts', 'wine32.sh')
WINE_LOCALE_SH = os.path.join(SOURCE_DIR, 'scripts', 'wine-locale.sh')
MARLETT = '/usr/share/wine/fonts/marlett.ttf'
DRIVE = 'D'
PRODUCT_DIR = 'Products'  # under C:\
# How long to wait for the launcher to show or do something. Generous: under
# qemu-i386 on a loaded two-core machine a start can take many seconds; the
# waits end as soon as what they wait for is there.
WAIT = 45.0


# ---------------------------------------------------------------- utilities

class Failure(Exception):
    pass


def check(condition, what):
    if not condition:
        raise Failure(what)


def equal(got, want, what):
    if got != want:
        raise Failure('%s: got %r, want %r' % (what, got, want))


def poll(fn, timeout, what, interval=0.1):
    """Calls fn until it returns something true; returns that."""
    end = time.monotonic() + timeout
    while True:
        value = fn()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure('timed out waiting for ' + what)
        time.sleep(interval)


def env(name, default=None):
    value = os.environ.get(name, default)
    if value is None:
        sys.exit('driver: %s is not set' % name)
    return value


def enter_wine32():
    """Runs this program again under scripts/wine32.sh, where Wine can start
    32-bit programs, unless it already runs there or no way works here."""
    if os.environ.get('WINE32_HOW') or os.environ.get('E2E_NO_WINE32'):
        return
    r = subprocess.run([WINE32_SH, 'how'], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    if r.returncode != 0:
        os.environ['E2E_NO_WINE32'] = r.stdout.decode().strip() or 'scripts/wine32.sh failed'
        return
    sys.stdout.flush()
    os.execv(WINE32_SH, [WINE32_SH, 'run', sys.executable, os.path.abspath(sys.argv[0])] + sys.argv[1:])


def pe_machine(path):
    """'PE32 i386', 'PE32+ x86-64' or what else the file's PE header says."""
    with open(path, 'rb') as f:
        head = f.read(4096)
    at = struct.unpack_from('<I', head, 0x3C)[0]
    if head[:2] != b'MZ' or head[at:at + 4] != b'PE\0\0':
        return 'not a PE file'
    machine = struct.unpack_from('<H', head, at + 4)[0]
    magic = struct.unpack_from('<H', head, at + 24)[0]
    kind = {0x10B: 'PE32', 0x20B: 'PE32+'}.get(magic, 'PE magic %#x' % magic)
    return '%s %s' % (kind, {0x14C: 'i386', 0x8664: 'x86-64'}.get(machine, 'machine %#x' % machine))


class Config:
    """Which Wine, prefix and programs a run uses. Three ways, as
    scripts/wine32.sh found: the 32-bit Wine in a 32-bit prefix (a kernel
    that runs 32-bit programs), the 64-bit Wine in a 64-bit prefix with its
    32-bit loader under qemu-i386 (the launcher meets WOW64 as on 64-bit
    Windows), or, where neither works, the 64-bit build of the launcher."""

    def __init__(self):
        self.work = os.path.abspath(env('E2E_WORK'))
        self.windows = None  # the Windows version Wine plays; None: its default
        self.how = os.environ.get('WINE32_HOW', '')
        if self.how.startswith('native'):
            self.arch = 'win32'
            self.loader = WINE_LIB + '/wine'
            self.wineserver = WINE_LIB + '/wineserver'
            self.launcher = env('E2E_LAUNCHER')
            self.probe = env('E2E_PROBE32')
        else:
            self.arch = 'win64'
            self.loader = WINE_LIB + '/wine64'
            self.wineserver = WINE_LIB + '/wineserver64'
            self.launcher = env('E2E_LAUNCHER' if self.how else 'E2E_LAUNCHER64')
            # The probe only looks at windows: the 64-bit one needs no emulation.
            self.probe = env('E2E_PROBE64')
        # What the launcher starts is what an installer would be: 32-bit.
        self.standin = env('E2E_STANDIN32' if self.how else 'E2E_STANDIN64')
        self.default_bmp = env('E2E_DEFAULT_BMP')
        self.prefix = os.path.join(self.work, 'prefix-' + self.arch)
        for path in (self.launcher, self.standin, self.probe, self.default_bmp):
            if not os.path.isfile(path):
                sys.exit('driver: missing ' + path)
        self.machine = pe_machine(self.launcher)
        # DLLs planted where the launcher must not load them from: built for
        # the launcher's own machine.
        self.marker = env('E2E_MARKER32' if self.machine.endswith('i386') else 'E2E_MARKER64')
        # The registry view the launcher looks in first, as reg.exe names it;
        # a 32-bit prefix has only the one.
        if self.arch == 'win32':
            self.view, self.other_view = None, None
        elif self.machine.endswith('i386'):
            self.view, self.other_view = '/reg:32', '/reg:64'
        else:
            self.view, self.other_view = '/reg:64', None

    def under_test(self):
        """The line that says which launcher file runs, and how."""
        shown = os.path.relpath(self.launcher, SOURCE_DIR)
        if shown.startswith('..'):
            shown = self.launcher
        if self.how:
            return 'e2e: launcher under test: %s (%s) via %s' % (shown, self.machine, self.how)
        return ('e2e: launcher under test: %s (%s) via 64-bit Wine; the shipped 32-bit file was NOT run (%s)'
                % (shown, self.machine, os.environ.get('E2E_NO_WINE32', 'no way to run it')))

    def wine_env(self, display=None):
        e = dict(os.environ)
        e['WINEPREFIX'] = self.prefix
        e['WINEARCH'] = self.arch
        e['WINELOADER'] = self.loader
        e['WINESERVER'] = self.wineserver
        e['WINEDEBUG'] = '-all'
        e['WINEDLLOVERRIDES'] = 'mscoree,mshtml=;winemenubuilder.exe=d'
        if display:
            e['DISPLAY'] = display
        else:
            e.pop('DISPLAY', None)
        return e


def windows_path(unix_path):
    """The Z: path under which Wine shows a Unix path."""
    return 'Z:' + os.path.abspath(unix_path).replace('/', '\\')


# ---------------------------------------------------------------- bitmaps

def read_bmp(path):
    """Width, height and top-down rows of (r, g, b) of an uncompressed
    1/4/8/24-bit bitmap file, or a 16-bit one with bit fields (each colour
    widened to 8 bits as Windows draws it)."""
    data = open(path, 'rb').read()
    offset = struct.unpack_from('<I', data, 10)[0]
    size, width, height, planes, bits, compression = struct.unpack_from('<IiiHHI', data, 14)
    used = struct.unpack_from('<I', data, 46)[0]
    assert (compression, bits) == (3, 16) or (compression == 0 and bits in (1, 4, 8, 24))
    if bits == 16:
        # The masks follow a 40-byte header, or are its bytes 40 to 51.
        masks = struct.unpack_from('<III', data, 54)
        fields = [((m & -m).bit_length() - 1, bin(m).count('1')) for m in masks]
        used = 0
    colours = used or (1 << bits if bits <= 8 else 0)
    table = []
    for i in range(colours):
        b, g, r, _ = struct.unpack_from('<BBBB', data, 14 + size + 4 * i)
        table.append((r, g, b))
    stride = (width * bits + 31) // 32 * 4
    rows = []
    for y in range(abs(height)):
        src = y if height < 0 else abs(height) - 1 - y
        line = data[offset + src * stride: offset + (src + 1) * stride]
        row = []
        for x in range(width):
            if bits == 24:
                b, g, r = line[3 * x: 3 * x + 3]
                row.append((r, g, b))
            elif bits == 16:
                v = struct.unpack_from('<H', line, 2 * x)[0]
                row.append(tuple(widen((v >> shift) & ((1 << n) - 1), n) for shift, n in fields))
            else:
                per = 8 // bits
                byte = line[x // per]
                index = (byte >> (8 - bits * (x % per + 1))) & ((1 << bits) - 1)
                row.append(table[index])
        rows.append(row)
    return width, abs(height), rows


def write_bmp(path, width, height, pixel):
    """An 8-bit bottom-up bitmap file with a 256-colour table; pixel(x, y)
    gives a palette index, the table is colour(i)."""
    table = b''.join(struct.pack('<BBBB', (i * 7) & 255, (i * 3 + 40) & 255, 255 - i, 0) for i in range(256))
    stride = (width + 3) // 4 * 4
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = bytes(pixel(x, y) for x in range(width))
        pixels += row + b'\0' * (stride - width)
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 8, 0, len(pixels), 2835, 2835, 256, 0)
    offset = 14 + len(header) + len(table)
    filehead = struct.pack('<HIHHI', 0x4D42, offset + len(pixels), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(filehead + header + table + pixels)


def write_bmp24(path, width, height, colour):
    """A 24-bit bottom-up bitmap file; colour(x, y) gives (r, g, b)."""
    stride = (width * 3 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = b''.join(struct.pack('<BBB', *reversed(colour(x, y))) for x in range(width))
        pixels += row + b'\0' * (stride - len(row))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    filehead = struct.pack('<HIHHI', 0x4D42, 54 + len(pixels), 0, 0, 54)
    with open(path, 'wb') as f:
        f.write(filehead + header + pixels)


# The two 16-bit layouts Windows draws: (red, green, blue) masks.
MASKS_565 = (0xF800, 0x07E0, 0x001F)
MASKS_555 = (0x7C00, 0x03E0, 0x001F)


def write_bmp16(path, width, height, colour, masks):
    """A 16-bit bit-field bitmap file with a 40-byte header, the three masks
    right after it; colour(x, y) gives (r, g, b) in the masks' own bits."""
    shifts = [(m & -m).bit_length() - 1 for m in masks]
    stride = (width * 2 + 3) // 4 * 4
    pixels = bytearray()
    for y in range(height - 1, -1, -1):
        row = b''.join(struct.pack('<H', sum(v << s for v, s in zip(colour(x, y), shifts))) for x in range(width))
        pixels += row + b'\0' * (stride - len(row))
    header = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 16, 3, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(header) + 12
    filehead = struct.pack('<HIHHI', 0x4D42, offset + len(pixels), 0, 0, offset)
    with open(path, 'wb') as f:
        f.write(filehead + header + struct.pack('<III', *masks) + pixels)


def widen(value, bits):
    """A colour of so many bits as 8 bits, its high bits repeated below."""
    value <<= 8 - bits
    return value | value >> bits


# ---------------------------------------------------------------- session

class Session:
    """An Xvfb screen and a persistent wineserver for a run of cases."""

    def __init__(self, cfg, log_dir, display=None):
        self.cfg = cfg
        self.log_dir = log_dir
        self.xvfb = None
        self.display = display
        # The ANSI code page Wine runs in, and so the one the launcher, the
        # probe and the stand-ins read and write text in.
        self.codepage = 1252
        self.language = None

    def __enter__(self):
        if self.display:
            # A screen of the user's: no Xvfb.
            self.env = self.cfg.wine_env(self.display)
            subprocess.run([self.cfg.wineserver, '-p'], env=self.env, check=True)
            self.play_windows(self.cfg.windows)
            return self
        read_fd, write_fd = os.pipe()
        self.xvfb_log = open(os.path.join(self.log_dir, 'xvfb.log'), 'wb')
        self.xvfb = subprocess.Popen(['Xvfb', '-displayfd', str(write_fd), '-screen', '0', '1024x768x24',
                                      '-nolisten', 'tcp'], pass_fds=(write_fd,), stdout=self.xvfb_log,
                                     stderr=self.xvfb_log)
        os.close(write_fd)
        number = b''
        with os.fdopen(read_fd, 'rb') as pipe:
            while not number.endswith(b'\n'):
                chunk = pipe.read(1)
                if not chunk:
                    raise Failure('Xvfb did not start')
                number += chunk
        self.display = ':' + number.decode().strip()
        self.env = self.cfg.wine_env(self.display)
        subprocess.run([self.cfg.wineserver, '-p'], env=self.env, check=True)
        self.play_windows(self.cfg.windows)
        return self

    def use_code_page(self, number):
        """Runs the Wine programs started from now on in a locale whose ANSI
        code page is number (Wine takes it from LC_ALL); 1252: the
        environment's own, as before."""
        r = subprocess.run([WINE_LOCALE_SH, str(number)], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if r.returncode != 0:
            raise Failure('no locale for code page %d: %s' % (number, r.stderr.decode(errors='replace').strip()))
        locale = r.stdout.decode().strip()
        if locale:
            self.env['LC_ALL'] = locale
        elif 'LC_ALL' in os.environ:
            self.env['LC_ALL'] = os.environ['LC_ALL']
        else:
            self.env.pop('LC_ALL', None)
        self.codepage = number
        self.language = None

    def use_language(self, language):
        """Runs the Wine programs started from now on as a user of that
        Windows language (4 hex digits): its locale, and so its UI
        language and its ANSI code page."""
        r = subprocess.run([WINE_LOCALE_SH, '--language', language], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if r.returncode != 0:
            raise Failure(r.stderr.decode(errors='replace').strip())
        locale, codepage = r.stdout.decode().split()
        self.env['LC_ALL'] = locale
        self.codepage = int(codepage)
        self.language = language

    def play_windows(self, version):
        """Has Wine play that Windows version (win95, ..., win10) for every
        program of the prefix, or its default for None."""
        if version:
            args = ['reg', 'add', 'HKCU\\Software\\Wine', '/v', 'Version', '/d', version, '/f']
        else:
            args = ['reg', 'delete', 'HKCU\\Software\\Wine', '/v', 'Version', '/f']
        rc = self.wine(args, 'wine.log')
        if version:
            equal(rc, 0, 'setting the Windows version ' + version)

    def __exit__(self, *exc):
        subprocess.run([self.cfg.wineserver, '-k'], env=self.env, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        try:
            subprocess.run([self.cfg.wineserver, '-w'], env=self.env, timeout=60)
        except subprocess.TimeoutExpired:
            pass
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
            self.xvfb_log.close()

    def wine(self, args, log_name, wait=True, timeout=60, cwd=None):
        out = open(os.path.join(self.log_dir, log_name), 'ab')
        proc = subprocess.Popen([self.cfg.loader] + args, env=self.env, stdout=out, stderr=out,
                                stdin=subprocess.DEVNULL, cwd=cwd)
        out.close()
        if not wait:
            return proc
        try:
            return proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()
            raise Failure('%s did not finish' % args[0])

    def registry(self, lines, name, view=None):
        """Imports .reg lines into the registry view that reg.exe calls view
        (/reg:32, /reg:64, or the one view of a 32-bit prefix)."""
        path = os.path.join(self.log_dir, name)
        # REGEDIT4 files are ANSI text, as the Registry Editor reads them.
        with open(path, 'w', newline='\r\n', encoding='cp%d' % self.codepage, errors='replace') as f:
            f.write('\n'.join(['REGEDIT4', ''] + lines) + '\n')
        rc = self.wine(['reg', 'import', windows_path(path)] + ([view] if view else []), 'wine.log')
        equal(rc, 0, 'reg import ' + name)

    def records(self, own, other, name, roots=('Vantorel',)):
        """Replaces every installation record under the roots (keys under
        SOFTWARE), in both views where there are two: own (.reg lines) goes
        to the view the launcher looks in first, other to the 64-bit view of
        a 32-bit launcher on 64-bit Windows."""
        wipe = sum((['[-HKEY_LOCAL_MACHINE\\SOFTWARE\\%s]' % root, ''] for root in roots), [])
        if not self.cfg.other_view:
            self.registry(wipe + own + other, 'records-%s.reg' % name, self.cfg.view)  # one view only
            return
        # reg import deletes keys in the 64-bit view whatever view it is
        # given, so the 32-bit view's records go by the path it has there.
        wipe32 = sum((['[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\%s]' % root, ''] for root in roots), [])
        self.registry(wipe + wipe32 + other, 'records64-%s.reg' % name, self.cfg.other_view)
        self.registry(own, 'records-%s.reg' % name, self.cfg.view)

    def xdotool(self, *args):
        r = subprocess.run(['xdotool'] + list(args), env=self.env, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL)
        return r.stdout.decode(errors='replace')

    def probe(self):
        """The visible dialogs: a list of dicts, and the screen metrics."""
        out = os.path.join(self.log_dir, 'probe.txt')
        if os.path.exists(out):
            os.remove(out)
        self.wine([self.cfg.probe, windows_path(out)], 'wine.log', timeout=30)
        windows = []
        metrics = None
        with open(out, 'rb') as f:
            # Each undecodable byte stands as one character of its own: a
            # difference on the screen, not a fault of this script.
            text = f.read().decode('cp%d' % self.codepage, errors='replace')
        if not text.rstrip().endswith('done'):
            return None, []
        for line in text.split('\r\n'):
            part = line.split('\t')
            if part[0] == 'metrics':
                m = [int(v) for v in part[1:]]
                metrics = dict(zip(('cxscreen', 'cyscreen', 'cxborder', 'cyborder', 'cycaption',
                                    'cxdlgframe', 'cydlgframe'), m))
            elif part[0] == 'window':
                v = [int(x) for x in part[1:12]]
                windows.append({'rect': tuple(v[0:4]), 'client_origin': (v[4], v[5]),
                                'client_size': (v[6], v[7]), 'close': (v[8], v[9]), 'foreground': v[10],
                                'title': part[12], 'children': []})
            elif part[0] == 'child':
                windows[-1]['children'].append({
                    'id': int(part[1]), 'class': part[2], 'style': int(part[3], 16),
                    'rect': tuple(int(x) for x in part[4:8]), 'visible': part[8] == '1', 'text': part[9]})
        return metrics, windows

    def cover(self, rect):
        """Lays another program's window over a screen rectangle for a
        moment, then takes it away."""
        l, t, r, b = rect
        rc = self.wine([self.cfg.probe, 'cover', str(l), str(t), str(r - l), str(b - t)], 'wine.log', timeout=30)
        equal(rc, 0, 'probe cover')

    def redraw(self, title):
        """Has the dialog of that title drawn afresh (Wine keeps a window's
        pixels when another window uncovers it, so uncovering alone need
        not repaint)."""
        rc = self.wine([self.cfg.probe, 'redraw', title], 'wine.log', timeout=30)
        equal(rc, 0, 'probe redraw')

    def screenshot(self, name='screen.rgb'):
        path = os.path.join(self.log_dir, name)
        subprocess.run(['import', '-display', self.display, '-window', 'root', '-depth', '8', 'rgb:' + path],
                       check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        data = open(path, 'rb').read()
        equal(len(data), 1024 * 768 * 3, 'screenshot size')
        return data

    def save_png(self, path):
        subprocess.run(['import', '-display', self.display, '-window', 'root', path], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def setup_prefix(cfg):
    """Creates the Wine prefix once: CD-ROM drive D:, no crash dialog, and
    Wine drawing its own window frames (there is no window manager)."""
    marker = os.path.join(cfg.prefix, 'e2e-ready')
    if os.path.exists(marker):
        return
    shutil.rmtree(cfg.prefix, ignore_errors=True)
    os.makedirs(cfg.work, exist_ok=True)
    log_dir = os.path.join(cfg.work, 'logs-setup')
    os.makedirs(log_dir, exist_ok=True)
    e = cfg.wine_env()
    with open(os.path.join(log_dir, 'wineboot.log'), 'wb') as out:
        rc = subprocess.run([cfg.loader, 'wineboot', '-i'], env=e, stdout=out, stderr=out, timeout=300).returncode
    equal(rc, 0, 'wineboot')
    reg = os.path.join(log_dir, 'setup.reg')
    with open(reg, 'w', newline='\r\n') as f:
        f.write('REGEDIT4\n\n'
                '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\n"d:"="cdrom"\n\n'
                '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\n"ShowCrashDialog"=dword:00000000\n\n'
                '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Decorated"="N"\n\n')
    with open(os.path.join(log_dir, 'regedit.log'), 'wb') as out:
        rc = subprocess.run([cfg.loader, 'regedit', '/S', windows_path(reg)], env=e, stdout=out, stderr=out,
                            timeout=120).returncode
    equal(rc, 0, 'regedit')
    subprocess.run([cfg.wineserver, '-w'], env=e, timeout=120)
    # Wine draws the caption buttons' glyphs with Marlett; without it a
    # letter "r" stands in the close box. Debian's fonts-wine has the font,
    # but this Wine takes it only from C:\windows\Fonts.
    if os.path.exists(MARLETT):
        shutil.copy(MARLETT, os.path.join(cfg.prefix, 'drive_c', 'windows', 'Fonts'))
    open(marker, 'w').close()


# ---------------------------------------------------------------- one case

NOT_INSTALLED, INSTALLED, INCOMPLETE = 'not', 'installed', 'incomplete'

PRODUCTS = [
    # section, program name, version, program file, arguments
    ('PaperTest', 'Brindlemark Paper Test', '3.1', 'paper.exe', '/mode paper'),
    ('AdaptiveTest', 'Brindlemark Adaptive Test', '3.1', 'cat.exe', '-adaptive "two words"'),
]

SPLASH_TITLE = 'CD AutoPlay Launcher'
REPAIR_TEXT = 'Setup is incomplete. Would you like to reinstall now?'
TWO_FORMAT = 'You have 2 %s tests installed. Would you like to run the Paper or Computer Adaptive Test?'
REPAIR_RUN_FORMAT = ('%s Setup is incomplete. You can reinstall it by pressing <Install> button. '
                     'Or you can run %s by pressing <Run> button.')


class Case:
    def __init__(self, session, name):
        self.s = session
        self.cfg = session.cfg
        self.name = name
        self.dir = os.path.join(self.cfg.work, 'cases', name)
        shutil.rmtree(self.dir, ignore_errors=True)
        self.disc = os.path.join(self.dir, 'disc')
        os.makedirs(os.path.join(self.disc, 'LAUNCH'))
        self.starts_log = os.path.join(self.dir, 'starts.log')
        self.launcher = None
        self.product_name = ''

    # -- the disc and the machine

    def lay_out(self, statuses, product_name='Brindlemark Practice', bitmap=None, view64=(), folder=PRODUCT_DIR):
        """statuses: one of NOT_INSTALLED, INSTALLED, INCOMPLETE per product.
        bitmap: None (no Launcher.bmp), a path to copy, or bytes.
        view64: the products whose record only a 64-bit installer would
        write, in the 64-bit registry view (where there is one).
        folder: where under C:\\Products the programs are; a path with a blank
        is recorded in quotes, as installers do."""
        self.product_name = product_name
        shutil.copy(self.cfg.launcher, os.path.join(self.disc, 'LAUNCH', 'launcher.exe'))
        shutil.copy(self.cfg.standin, os.path.join(self.disc, 'setup.exe'))
        ini = ['[INSTALL]', 'ConfigFile=install.ini', 'ProductName=' + product_name,
               'Product=' + ', '.join(p[0] for p in PRODUCTS), '']
        for section, program, version, _, _ in PRODUCTS:
            ini += ['[%s]' % section, 'ProgramName=' + program, 'Version=' + version, '']
        with open(os.path.join(self.disc, 'LAUNCH', 'install.ini'), 'w', newline='\r\n') as f:
            f.write('\n'.join(ini))
        if isinstance(bitmap, (bytes, bytearray)):
            with open(os.path.join(self.disc, 'LAUNCH', 'Launcher.bmp'), 'wb') as f:
                f.write(bitmap)
        elif bitmap:
            shutil.copy(bitmap, os.path.join(self.disc, 'LAUNCH', 'Launcher.bmp'))

        # The disc as drive D:.
        link = os.path.join(self.cfg.prefix, 'dosdevices', DRIVE.lower() + ':')
        if os.path.lexists(link):
            os.remove(link)
        os.symlink(self.disc, link)

        # The installed programs on C:, and their records.
        shutil.rmtree(os.path.join(self.cfg.prefix, 'drive_c', PRODUCT_DIR), ignore_errors=True)
        products = os.path.join(self.cfg.prefix, 'drive_c', *folder.split('\\'))
        os.makedirs(products)
        self.folder = folder
        own, other = [], []
        self.command_lines = []
        for n, ((section, program, version, exe, args), status) in enumerate(zip(PRODUCTS, statuses)):
            path = 'C:\\%s\\%s' % (folder, exe)
            command = ('"%s"' % path if ' ' in path else path) + ' ' + args
            self.command_lines.append(command)
            if status == INSTALLED:
                shutil.copy(self.cfg.standin, os.path.join(products, exe))
            if status in (INSTALLED, INCOMPLETE):
                # An incomplete installation: the record is there, the program is not.
                (other if n in view64 else own).extend([
                    '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\%s\\%s\\%s]' % (program, version, section),
                    '"CD"="%s"' % DRIVE,
                    '"CommandLine"="%s"' % command.replace('\\', '\\\\').replace('"', '\\"'), ''])
        self.s.records(own, other, self.name)
        self.installer = '%s:\\setup.exe' % DRIVE

    # -- running

    def start(self, path='%s:\\LAUNCH\\launcher.exe' % DRIVE, cwd=None):
        """Starts the launcher; cwd: the Unix folder it starts in (Wine
        shows it as that folder's Windows path)."""
        if os.path.exists(self.starts_log):
            os.remove(self.starts_log)
        self.s.env['E2E_LOG'] = windows_path(self.starts_log)
        self.launcher = self.s.wine([path], 'launcher-%s.log' % self.name, wait=False, cwd=cwd)

    def dialog(self, title, timeout=WAIT):
        """Waits for the one visible dialog with that title; returns it and
        the metrics."""
        state = {}

        def look():
            metrics, windows = self.s.probe()
            if self.launcher.poll() is not None:
                raise Failure('the launcher ended (code %s) before showing "%s"' % (self.launcher.returncode,
                                                                                     title))
            found = [w for w in windows if w['title'] == title]
            if found:
                state['metrics'] = metrics
                state['windows'] = windows
                return found[-1]
            return None

        window = poll(look, timeout, 'the dialog "%s"' % title, interval=0.2)
        others = [w['title'] for w in state['windows'] if w is not window]
        equal(others, [], 'other dialogs on screen')
        return window, state['metrics']

    def gone(self, title, timeout=WAIT):
        def check_gone():
            _, windows = self.s.probe()
            return not any(w['title'] == title for w in windows)
        poll(check_gone, timeout, 'the dialog "%s" to close' % title, interval=0.2)

    def focus(self, window):
        """Gives the dialog the keyboard, as a click on its caption would."""
        ids = self.s.xdotool('search', '--name', '^%s$' % window['title']).split()
        if ids:
            self.s.xdotool('windowfocus', '--sync', ids[-1])
        left, top, right, _ = window['rect']
        self.s.xdotool('mousemove', str((left + right) // 2 - 40), str(top + 8))

    def key(self, window, keys):
        self.focus(window)
        self.s.xdotool('key', '--delay', '50', keys)

    def click(self, x, y):
        self.s.xdotool('mousemove', '--sync', str(x), str(y))
        self.s.xdotool('click', '1')

    def click_child(self, window, control_id):
        child = self.child(window, control_id)
        l, t, r, b = child['rect']
        self.click((l + r) // 2, (t + b) // 2)

    def click_close_box(self, window):
        x, y = window['close']
        check(x >= 0, 'the dialog has a close box')
        self.click(x, y)

    @staticmethod
    def child(window, control_id):
        found = [c for c in window['children'] if c['id'] == control_id]
        equal(len(found), 1, 'controls with id %d' % control_id)
        return found[0]

    def finish(self, expected_starts):
        """The launcher ends with 1, having started exactly these
        (module, command line) pairs."""
        try:
            rc = self.launcher.wait(timeout=WAIT)
        except subprocess.TimeoutExpired:
            self.launcher.kill()
            self.launcher.wait()
            raise Failure('the launcher did not end')
        equal(rc, 1, 'launcher exit code')
        if expected_starts:
            def logged():
                lines = self.read_starts()
                return lines if len(lines) >= len(expected_starts) else None
            poll(logged, WAIT, 'the started program to record itself')
        else:
            # The launcher has ended, and a start is made before it does: a
            # program it started would be running or have written already.
            poll(lambda: not self.standins_running(), WAIT, 'stand-in programs to end')
        equal(self.read_starts(), expected_starts, 'programs started')

    def read_starts(self):
        if not os.path.exists(self.starts_log):
            return []
        out = []
        with open(self.starts_log, 'rb') as f:
            for line in f.read().decode('cp%d' % self.s.codepage, errors='replace').split('\r\n'):
                if line:
                    module, command, show = line.split('\t')
                    out.append((module, command))
        return out

    def standins_running(self):
        """A stand-in program of this Wine prefix is still running."""
        names = (b'setup.exe', b'paper.exe', b'cat.exe')
        mine = b'WINEPREFIX=' + self.cfg.prefix.encode() + b'\0'
        for pid in os.listdir('/proc'):
            if not pid.isdigit():
                continue
            try:
                with open('/proc/%s/environ' % pid, 'rb') as f:
                    if mine not in f.read() + b'\0':
                        continue
                with open('/proc/%s/cmdline' % pid, 'rb') as f:
                    args = f.read().lower()
            except OSError:
                continue
            if any(n in args for n in names):
                return True
        return False

    def stop(self):
        if self.launcher and self.launcher.poll() is None:
            self.launcher.kill()
            self.launcher.wait()

    # -- expected starts

    def installer_start(self):
        return [('%s:\\setup.exe' % DRIVE, self.installer)]

    def product_start(self, n):
        exe = PRODUCTS[n][3]
        return [('C:\\%s\\%s' % (self.folder, exe), self.command_lines[n])]


# ---------------------------------------------------------------- checks of what is shown

def splash_checks(case, action, bitmap_size, bitmap_rows=None, cancel='&Cancel'):
    """Waits for the splash dialog and checks its caption, size, place,
    buttons, and the bitmap's pixels on screen. Returns the window."""
    title = case.product_name or SPLASH_TITLE
    window, m = case.dialog(title)
    w, h = bitmap_size
    ww = w + 2 * m['cxborder']
    wh = h + 2 * m['cyborder'] + m['cycaption']
    x = int((m['cxscreen'] - ww) * 0.5)
    y = int((m['cyscreen'] - wh) * 0.5)
    equal(window['rect'], (x, y, x + ww, y + wh), 'splash window rectangle')
    x0 = int((w - 200) / 3)
    row = h - 45
    ox, oy = window['client_origin']
    buttons = [(c['id'], c['class'].lower(), c['text'], c['style'] & 0xFFFF000F, c['rect'])
               for c in window['children']]
    equal(buttons, [(1, 'button', action, 0x50000001, (ox + x0, oy + row, ox + x0 + 100, oy + row + 30)),
                    (2, 'button', cancel, 0x50000000,
                     (ox + 2 * x0 + 100, oy + row, ox + 2 * x0 + 200, oy + row + 30))],
          'splash buttons (id, class, caption, style, screen rectangle)')
    if bitmap_rows is not None:
        check_pixels(case, window, bitmap_rows)
    return window


def check_pixels(case, window, rows):
    """Every visible client pixel that no button covers shows the bitmap's
    pixel, the bitmap's top-left corner at the client area's."""
    ox, oy = window['client_origin']
    cw, ch = window['client_size']
    height = len(rows)
    width = len(rows[0])
    covered = [c['rect'] for c in window['children'] if c['visible']]
    points = []
    for y in range(min(ch, height)):
        if oy + y < 0 or oy + y >= 768:
            continue
        for x in range(min(cw, width)):
            sx, sy = ox + x, oy + y
            if sx < 0 or sx >= 1024:
                continue
            if any(l <= sx < r and t <= sy < b for (l, t, r, b) in covered):
                continue
            points.append((x, y, sx, sy))
    check(len(points) > 1000, 'enough of the bitmap is visible (%d pixels)' % len(points))

    def compare():
        shot = case.s.screenshot()
        bad = []
        for x, y, sx, sy in points:
            at = (sy * 1024 + sx) * 3
            if tuple(shot[at:at + 3]) != rows[y][x]:
                bad.append((x, y, tuple(shot[at:at + 3]), rows[y][x]))
        compare.bad = bad
        return not bad
    try:
        poll(compare, 15, 'the bitmap on screen', interval=0.3)
    except Failure:
        bad = compare.bad
        raise Failure('%d of %d bitmap pixels differ on screen, first %r' % (len(bad), len(points), bad[:3]))


def choice_checks(case, template_title, message, captions, cancel='&Cancel'):
    """The choice dialog: caption, message, and buttons in template order."""
    title = case.product_name or template_title
    window, m = case.dialog(title)
    equal([(c['id'], c['class'].lower(), c['text']) for c in window['children']],
          [(101, 'button', captions[0]), (102, 'button', captions[1]), (2, 'button', cancel),
           (105, 'static', message)], 'choice dialog controls (id, class, text)')
    # Centred on the screen's work area by the dialog manager.
    l, t, r, b = window['rect']
    check(abs((l + r) - m['cxscreen']) <= 2, 'dialog centred horizontally: %r' % (window['rect'],))
    check(abs((t + b) - m['cyscreen']) <= 80, 'dialog centred vertically: %r' % (window['rect'],))
    return window


def repair_box_checks(case):
    window, _ = case.dialog('CD Launcher')
    texts = [c['text'] for c in window['children']]
    check(REPAIR_TEXT in texts, 'the repair message %r in %r' % (REPAIR_TEXT, texts))
    check('&Yes' in texts and '&No' in texts, 'Yes and No buttons in %r' % texts)
    return window


# ---------------------------------------------------------------- the cases

CASES = {}
GROUPS = {}


def case(group):
    def register(fn):
        CASES[fn.__name__] = fn
        GROUPS.setdefault(group, []).append(fn.__name__)
        return fn
    return register


def default_bitmap(cfg):
    w, h, rows = read_bmp(cfg.default_bmp)
    return (w, h), rows


# The nine cells of the decision table, product 1 down, product 2 across.

@case('decision')
def neither_installed_enter_installs(c):
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED])
    c.start()
    size, rows = default_bitmap(c.cfg)
    w = splash_checks(c, '&Install', size, rows)
    c.key(w, 'Return')
    c.finish(c.installer_start())


@case('decision')
def second_installed_click_runs_it(c):
    c.lay_out([NOT_INSTALLED, INSTALLED])
    c.start()
    w = splash_checks(c, '&Run', (300, 144))
    c.click_child(w, 1)
    c.finish(c.product_start(1))


@case('decision')
def second_incomplete_yes_reinstalls(c):
    c.lay_out([NOT_INSTALLED, INCOMPLETE])
    c.start()
    w = repair_box_checks(c)
    c.key(w, 'Return')  # Yes is the default
    c.finish(c.installer_start())


@case('decision')
def first_installed_enter_runs_it(c):
    c.lay_out([INSTALLED, NOT_INSTALLED])
    c.start()
    w = splash_checks(c, '&Run', (300, 144))
    c.key(w, 'Return')
    c.finish(c.product_start(0))


@case('decision')
def both_installed_enter_enter_runs_first(c):
    c.lay_out([INSTALLED, INSTALLED])
    c.start()
    w = splash_checks(c, '&Run', (300, 144))
    c.key(w, 'Return')
    c.gone(c.product_name)
    w = choice_checks(c, 'Brindlemark', TWO_FORMAT % c.product_name, ('Run &Paper', 'Run CAT'))
    c.key(w, 'Return')
    c.finish(c.product_start(0))


@case('decision')
def second_incomplete_install_run_enter_reinstalls(c):
    c.lay_out([INSTALLED, INCOMPLETE])
    c.start()
    w = choice_checks(c, 'Vantorel', REPAIR_RUN_FORMAT % (PRODUCTS[1][1], PRODUCTS[0][1]), ('&Install', '&Run'))
    c.key(w, 'Return')
    c.finish(c.installer_start())


@case('decision')
def first_incomplete_no_starts_nothing(c):
    c.lay_out([INCOMPLETE, NOT_INSTALLED])
    c.start()
    w = repair_box_checks(c)
    c.click_child(w, 7)  # IDNO
    c.finish([])


@case('decision')
def first_incomplete_install_run_click_run(c):
    c.lay_out([INCOMPLETE, INSTALLED])
    c.start()
    w = choice_checks(c, 'Vantorel', REPAIR_RUN_FORMAT % (PRODUCTS[0][1], PRODUCTS[1][1]), ('&Install', '&Run'))
    c.click_child(w, 102)
    c.finish(c.product_start(1))


@case('decision')
def both_incomplete_yes_reinstalls(c):
    c.lay_out([INCOMPLETE, INCOMPLETE])
    c.start()
    w = repair_box_checks(c)
    c.click_child(w, 6)  # IDYES
    c.finish(c.installer_start())


@case('decision')
def quoted_program_path_runs(c):
    c.lay_out([NOT_INSTALLED, INSTALLED], folder=PRODUCT_DIR + '\\Brindlemark Tests')
    c.start()
    w = splash_checks(c, '&Run', (300, 144))
    c.key(w, 'Return')
    c.finish(c.product_start(1))


# Windows versions without a 64-bit view of the registry: Wine drops the
# view flag (with the rest of the access mask) when it plays Windows 95/98.
NO_64BIT_VIEW = ('win95', 'win98')


@case('decision')
def record_only_in_64bit_view_runs(c):
    # A 64-bit installer's record: the 32-bit launcher finds it on its second
    # look, in the 64-bit view (a 32-bit prefix has one view, and it is there).
    c.lay_out([INSTALLED, NOT_INSTALLED], view64=(0,))
    c.start()
    if c.cfg.other_view and c.cfg.windows in NO_64BIT_VIEW:
        # No such view on that Windows: the product is not installed there.
        w = splash_checks(c, '&Install', (300, 144))
        c.key(w, 'Escape')
        c.finish([])
        return
    w = splash_checks(c, '&Run', (300, 144))
    c.key(w, 'Return')
    c.finish(c.product_start(0))


# The splash dialog's ways out.

@case('splash')
def splash_escape_cancels(c):
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED])
    c.start()
    w = splash_checks(c, '&Install', (300, 144))
    c.key(w, 'Escape')
    c.finish([])


@case('splash')
def splash_close_box_cancels(c):
    c.lay_out([INSTALLED, NOT_INSTALLED])
    c.start()
    w = splash_checks(c, '&Run', (300, 144))
    c.click_close_box(w)
    c.finish([])


@case('splash')
def splash_cancel_button(c):
    c.lay_out([NOT_INSTALLED, INSTALLED])
    c.start()
    w = splash_checks(c, '&Run', (300, 144))
    c.click_child(w, 2)
    c.finish([])


@case('splash')
def splash_click_on_bitmap_does_nothing(c):
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED], product_name='')
    c.start()
    size, rows = default_bitmap(c.cfg)
    w = splash_checks(c, '&Install', size, rows)
    ox, oy = w['client_origin']
    c.click(ox + 150, oy + 20)
    c.click(ox + 5, oy + 5)
    w2, _ = c.dialog(SPLASH_TITLE)  # still there, unchanged
    equal(w2['rect'], w['rect'], 'splash after clicks on the bitmap')
    check(c.launcher.poll() is None, 'the launcher still runs')
    c.key(w2, 'Escape')
    c.finish([])


@case('splash')
def splash_access_key_takes_the_action(c):
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED])
    c.start()
    w = splash_checks(c, '&Install', (300, 144))
    c.key(w, 'alt+i')
    c.finish(c.installer_start())


@case('splash')
def missing_installer_ends_the_launcher(c):
    # No setup.exe on the disc: nothing starts, and the launcher still ends.
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED])
    os.remove(os.path.join(c.disc, 'setup.exe'))
    c.start()
    w = splash_checks(c, '&Install', (300, 144))
    c.key(w, 'Return')
    c.finish([])


# The two-products choice.

def both_installed_to_choice(c, product_name='Brindlemark Practice'):
    c.lay_out([INSTALLED, INSTALLED], product_name=product_name)
    c.start()
    w = splash_checks(c, '&Run', (300, 144))
    c.key(w, 'Return')
    c.gone(product_name or SPLASH_TITLE)
    return choice_checks(c, 'Brindlemark', TWO_FORMAT % product_name, ('Run &Paper', 'Run CAT'))


@case('runrun')
def runrun_click_second_runs_cat(c):
    w = both_installed_to_choice(c)
    top1 = Case.child(w, 101)['rect'][1]
    top2 = Case.child(w, 102)['rect'][1]
    check(top1 < top2, '"Run &Paper" stands above "Run CAT"')
    c.click_child(w, 102)
    c.finish(c.product_start(1))


@case('runrun')
def runrun_escape_starts_nothing(c):
    w = both_installed_to_choice(c, product_name='')
    c.key(w, 'Escape')
    c.finish([])


@case('runrun')
def runrun_close_box_starts_nothing(c):
    w = both_installed_to_choice(c)
    c.click_close_box(w)
    c.finish([])


@case('runrun')
def runrun_access_key_paper(c):
    w = both_installed_to_choice(c)
    c.key(w, 'alt+p')
    c.finish(c.product_start(0))


@case('runrun')
def runrun_tab_then_enter_runs_cat(c):
    # The focus moves to "Run CAT", which becomes the default button.
    w = both_installed_to_choice(c)
    c.key(w, 'Tab')
    c.key(w, 'Return')
    c.finish(c.product_start(1))


@case('runrun')
def splash_cancel_before_choice_starts_nothing(c):
    c.lay_out([INSTALLED, INSTALLED])
    c.start()
    w = splash_checks(c, '&Run', (300, 144))
    c.key(w, 'Escape')
    c.finish([])


# The repair-or-run choice.

def install_run(c, statuses=(INCOMPLETE, INSTALLED), product_name='Brindlemark Practice'):
    c.lay_out(list(statuses), product_name=product_name)
    c.start()
    broken, runnable = (0, 1) if statuses[0] == INCOMPLETE else (1, 0)
    w = choice_checks(c, 'Vantorel', REPAIR_RUN_FORMAT % (PRODUCTS[broken][1], PRODUCTS[runnable][1]),
                      ('&Install', '&Run'))
    l1 = Case.child(w, 101)['rect'][0]
    l2 = Case.child(w, 102)['rect'][0]
    check(l1 < l2, '"&Install" stands left of "&Run"')
    return w, runnable


@case('installrun')
def installrun_escape_starts_nothing(c):
    w, _ = install_run(c)
    c.key(w, 'Escape')
    c.finish([])


@case('installrun')
def installrun_close_box_starts_nothing(c):
    w, _ = install_run(c, product_name='')
    c.click_close_box(w)
    c.finish([])


@case('installrun')
def installrun_access_key_run(c):
    w, runnable = install_run(c, (INSTALLED, INCOMPLETE))
    c.key(w, 'alt+r')
    c.finish(c.product_start(runnable))


@case('installrun')
def installrun_click_install(c):
    w, _ = install_run(c)
    c.click_child(w, 101)
    c.finish(c.installer_start())


@case('installrun')
def repair_box_escape_is_no(c):
    c.lay_out([INCOMPLETE, INCOMPLETE])
    c.start()
    w = repair_box_checks(c)
    c.key(w, 'alt+n')
    c.finish([])


@case('installrun')
def installrun_access_key_install(c):
    w, _ = install_run(c)
    c.key(w, 'alt+i')
    c.finish(c.installer_start())


@case('runrun')
def runrun_access_key_cancel(c):
    w = both_installed_to_choice(c)
    c.key(w, 'alt+c')
    c.finish([])


# A disc of another publisher, in German: its own registry keys and value
# names, its installer in a folder of the disc, and every text its own.

def lay_out_german_disc(c):
    sample = os.path.join(SOURCE_DIR, 'samples', 'disc-de')
    shutil.rmtree(c.disc)
    for folder in ('START', 'Installation'):
        os.makedirs(os.path.join(c.disc, folder))
    for name in ('autorun.inf', 'START/install.ini', 'START/Launcher.bmp', 'START/Polski.bmp'):
        shutil.copy(os.path.join(sample, name), os.path.join(c.disc, name))
    shutil.copy(c.cfg.launcher, os.path.join(c.disc, 'START', 'launcher.exe'))
    shutil.copy(c.cfg.standin, os.path.join(c.disc, 'Installation', 'Setup.exe'))
    link = os.path.join(c.cfg.prefix, 'dosdevices', DRIVE.lower() + ':')
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(c.disc, link)


@case('runrun')
def german_disc_own_keys_texts_and_installer(c):
    """samples/disc-de as it is: the splash, the two-products choice and its
    message read back from the screen in German, umlauts included; the
    dictionary found under its whole RegistryKey (the value "Programm", no
    drive) and started; then, with nothing installed, its installer started
    from the disc's Installation folder. A German user: the disc speaks
    English and Polish too."""
    c.s.use_language('0407')
    lay_out_german_disc(c)
    products = os.path.join(c.cfg.prefix, 'drive_c', PRODUCT_DIR)
    shutil.rmtree(products, ignore_errors=True)
    os.makedirs(products)
    for exe in ('Grammatik.exe', 'Woerterbuch.exe'):
        shutil.copy(c.cfg.standin, os.path.join(products, exe))
    root = 'Auenthal Lernmedien'
    grammar = 'C:\\%s\\Grammatik.exe' % PRODUCT_DIR
    dictionary = 'C:\\%s\\Woerterbuch.exe' % PRODUCT_DIR
    c.s.records(['[HKEY_LOCAL_MACHINE\\SOFTWARE\\%s\\Grammatiktrainer\\4.0\\Grammatik]' % root, '"CD"="D"',
                 '"CommandLine"="%s /cd=D:"' % grammar.replace('\\', '\\\\'), '',
                 '[HKEY_LOCAL_MACHINE\\SOFTWARE\\%s\\W\xf6rterbuch\\2]' % root,
                 '"Programm"="\\"%s\\" /de"' % dictionary.replace('\\', '\\\\'), ''],
                [], c.name, roots=('Vantorel', root))
    c.product_name = 'Auenthal \xdcbungspaket'
    c.start('%s:\\START\\launcher.exe' % DRIVE)
    w = splash_checks(c, '&Starten', (400, 300), cancel='&Abbrechen')
    c.key(w, 'Return')
    c.gone(c.product_name)
    w = choice_checks(c, 'Brindlemark', 'Auf diesem Computer sind Grammatiktrainer und W\xf6rterbuch installiert. '
                      'Welches Programm m\xf6chten Sie starten?', ('&Grammatik', '&W\xf6rterbuch'), cancel='&Abbrechen')
    c.click_child(w, 102)
    c.finish([(dictionary, '"%s" /de' % dictionary)])

    c.s.records([], [], c.name + '-none', roots=('Vantorel', root))
    c.start('%s:\\START\\launcher.exe' % DRIVE)
    w = splash_checks(c, '&Installieren', (400, 300), cancel='&Abbrechen')
    c.key(w, 'Return')
    installer = '%s:\\Installation\\Setup.exe' % DRIVE
    c.finish([(installer, installer)])


@case('runrun')
def german_disc_to_polish_german_and_swiss_users(c):
    """samples/disc-de as its users see it: a Polish one its [Texts.0415],
    written in 1250, with its own title and picture; a German one and a
    Swiss German one (0807, whose main form 0407 has no section either)
    its [Texts], and Launcher.bmp."""
    lay_out_german_disc(c)
    c.s.records([], [], c.name, roots=('Vantorel', 'Auenthal Lernmedien'))
    for language, title, install, cancel, bitmap in (
            ('0415', 'Auenthal Pakiet \u0107wicze\u0144', '&Instaluj', '&Anuluj', 'Polski.bmp'),
            ('0407', 'Auenthal \xdcbungspaket', '&Installieren', '&Abbrechen', 'Launcher.bmp'),
            ('0807', 'Auenthal \xdcbungspaket', '&Installieren', '&Abbrechen', 'Launcher.bmp')):
        c.s.use_language(language)
        c.product_name = title
        c.start('%s:\\START\\launcher.exe' % DRIVE)
        w, h, rows = read_bmp(os.path.join(c.disc, 'START', bitmap))
        c.key(splash_checks(c, install, (w, h), rows, cancel=cancel), 'Escape')
        c.finish([])


@case('runrun')
def japanese_disc_under_japanese_wine(c):
    """samples/disc-ja under Wine set to Japanese (code page 932), where 表
    (95 5C) ends its RegistryRoot, its launcher's folder and the folder of
    the installed program: the products are found, the splash and the
    two-products choice read back in Japanese, and Run starts the recorded
    program; with nothing installed, its installer from ソフトマスター."""
    c.s.use_code_page(932)
    sample = os.path.join(SOURCE_DIR, 'samples', 'disc-ja')
    folder, setup_dir = '起動ボタン表', 'ソフトマスター'
    shutil.rmtree(c.disc)
    for name in (folder, setup_dir):
        os.makedirs(os.path.join(c.disc, name))
    for name in ('autorun.inf', folder + '/install.ini', folder + '/Launcher.bmp'):
        shutil.copy(os.path.join(sample, name), os.path.join(c.disc, name))
    shutil.copy(c.cfg.launcher, os.path.join(c.disc, folder, 'launcher.exe'))
    shutil.copy(c.cfg.standin, os.path.join(c.disc, setup_dir, 'Setup.exe'))
    link = os.path.join(c.cfg.prefix, 'dosdevices', DRIVE.lower() + ':')
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(c.disc, link)
    shutil.rmtree(os.path.join(c.cfg.prefix, 'drive_c', PRODUCT_DIR), ignore_errors=True)
    programs = os.path.join(c.cfg.prefix, 'drive_c', PRODUCT_DIR, '漢字表')
    os.makedirs(programs)
    for exe in ('Kanji.exe', 'Goi.exe'):
        shutil.copy(c.cfg.standin, os.path.join(programs, exe))
    kanji = 'C:\\%s\\漢字表\\Kanji.exe' % PRODUCT_DIR
    goi = 'C:\\%s\\漢字表\\Goi.exe' % PRODUCT_DIR
    publisher = '霞ソフト'
    root = 'SOFTWARE\\%s\\ボキャブラリーマスター表' % publisher
    c.s.records(['[HKEY_LOCAL_MACHINE\\%s\\漢字ドリル表\\3.0\\Kanji]' % root,
                 '"CD"="D:\\\\"', '"CommandLine"="\\"%s\\" /cd=D:"' % kanji.replace('\\', '\\\\'), '',
                 '[HKEY_LOCAL_MACHINE\\%s\\語彙マスター\\1.5\\Goi]' % root,
                 '"CD"="D:\\\\"', '"CommandLine"="\\"%s\\""' % goi.replace('\\', '\\\\'), ''],
                [], c.name, roots=('Vantorel', publisher))
    c.product_name = '霞ソフト 学習パック'
    cancel = 'キャンセル'
    c.start('%s:\\%s\\launcher.exe' % (DRIVE, folder))
    w = splash_checks(c, '起動(&R)', (400, 300), cancel=cancel)
    c.key(w, 'Return')
    c.gone(c.product_name)
    w = choice_checks(c, 'Brindlemark', 'このコンピューターには 漢字ドリル表 と 語彙マスター がインストールされています。'
                      'どちらを起動しますか？', ('漢字(&K)', '語彙(&G)'), cancel=cancel)
    c.key(w, 'Return')
    c.finish([(kanji, '"%s" /cd=D:' % kanji)])

    c.s.records([], [], c.name + '-none', roots=('Vantorel', publisher))
    c.start('%s:\\%s\\launcher.exe' % (DRIVE, folder))
    w = splash_checks(c, '導入(&I)', (400, 300), cancel=cancel)
    c.key(w, 'Return')
    installer = '%s:\\%s\\Setup.exe' % (DRIVE, setup_dir)
    c.finish([(installer, installer)])


# Splash bitmaps.

@case('bitmap')
def custom_bitmap_sizes_the_splash(c):
    path = os.path.join(c.dir, 'custom.bmp')
    write_bmp(path, 416, 250, lambda x, y: (x // 13 + y // 10 * 3) % 256)
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED], bitmap=path)
    c.start()
    w, h, rows = read_bmp(path)
    win = splash_checks(c, '&Install', (w, h), rows)
    c.key(win, 'Escape')
    c.finish([])


@case('bitmap')
def sample_disc_bitmap(c):
    sample = os.environ.get('E2E_SAMPLE_BMP')
    check(sample and os.path.isfile(sample), 'the sample disc bitmap exists')
    c.lay_out([INSTALLED, NOT_INSTALLED], bitmap=sample)
    c.start()
    w, h, rows = read_bmp(sample)
    win = splash_checks(c, '&Run', (w, h), rows)
    c.click_child(win, 1)
    c.finish(c.product_start(0))


def refused_bitmap_falls_back(c, damage):
    good = open(c.cfg.default_bmp, 'rb').read()
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED], bitmap=damage(good))
    c.start()
    size, rows = default_bitmap(c.cfg)
    w = splash_checks(c, '&Install', size, rows)
    c.key(w, 'Escape')
    c.finish([])


@case('bitmap')
def broken_bitmap_falls_back_to_built_in(c):
    # 7 bits per pixel: the reader refuses the file.
    refused_bitmap_falls_back(c, lambda good: good[:28] + struct.pack('<H', 7) + good[30:])


@case('bitmap')
def cut_bitmap_falls_back_to_built_in(c):
    # Cut inside the information header.
    refused_bitmap_falls_back(c, lambda good: good[:40])


@case('bitmap')
def uncovered_splash_repaints_from_the_file(c):
    path = os.path.join(c.dir, 'custom.bmp')
    write_bmp(path, 360, 220, lambda x, y: (x // 9 + y // 11 * 5) % 256)
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED], bitmap=path)
    c.start()
    width, height, rows = read_bmp(path)
    w = splash_checks(c, '&Install', (width, height), rows)
    c.s.cover(w['rect'])
    check_pixels(c, w, rows)
    # The file goes bad while the splash is up: the next repaint draws the
    # built-in bitmap in the window sized for the file's.
    with open(os.path.join(c.disc, 'LAUNCH', 'Launcher.bmp'), 'r+b') as f:
        f.write(b'XX')
    c.s.redraw(c.product_name)
    w2, _ = c.dialog(c.product_name)
    equal(w2['rect'], w['rect'], 'splash window after the file went bad')
    _, built_in = default_bitmap(c.cfg)
    check_pixels(c, w2, built_in)
    # Beyond the built-in bitmap's 300 x 144 pixels: the dialog's background.
    shot = c.s.screenshot()
    ox, oy = w2['client_origin']
    cw, ch = w2['client_size']
    at = ((oy + 10) * 1024 + ox + min(cw, width) - 5) * 3
    background = tuple(shot[at:at + 3])
    check(background not in (rows[10][min(cw, width) - 5],), 'the old bitmap is gone at the right edge')
    at = ((oy + 150) * 1024 + ox + 5) * 3
    equal(tuple(shot[at:at + 3]), background, 'background below the built-in bitmap')
    c.key(w2, 'Escape')
    c.finish([])


@case('bitmap')
def small_bitmap_puts_buttons_above_and_left(c):
    # 100 x 40: x0 = -33, the button row starts 5 pixels above the client area.
    path = os.path.join(c.dir, 'small.bmp')
    write_bmp(path, 100, 40, lambda x, y: (x + y) % 256)
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED], bitmap=path)
    c.start()
    win = splash_checks(c, '&Install', (100, 40))
    c.key(win, 'Escape')
    c.finish([])


def bit_fields_draw_like_24_bits(c, masks):
    """A 16-bit picture, as this project writes it (a 40-byte header, the
    masks after it) and as ImageMagick saves it (a 124-byte header with the
    masks inside), draws pixel for pixel like the same picture saved with
    24 bits: each colour widened to 8 bits, its high bits repeated below."""
    bits = [bin(m).count('1') for m in masks]
    width, height = 320, 200

    def colour(x, y):
        return ((x * 7 + y) % (1 << bits[0]), (x + y * 3) % (1 << bits[1]), (x * y // 40) % (1 << bits[2]))

    ours = os.path.join(c.dir, 'ours16.bmp')
    write_bmp16(ours, width, height, colour, masks)
    source = os.path.join(c.dir, 'source.bmp')
    write_bmp24(source, width, height, lambda x, y: tuple(widen(v, b) for v, b in zip(colour(x, y), bits)))
    editors = os.path.join(c.dir, 'editors16.bmp')
    subtype = 'RGB565' if bits[1] == 6 else 'RGB555'
    subprocess.run(['convert', source, '-define', 'bmp:subtype=' + subtype, editors], check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    data = open(editors, 'rb').read()
    equal(struct.unpack_from('<I', data, 14) + struct.unpack_from('<I', data, 30) + struct.unpack_from('<III', data, 54),
          (124, 3) + tuple(masks), "ImageMagick's file: header size, compression and masks")
    for picture in (ours, editors):
        _, _, rows = read_bmp(picture)
        same = picture.replace('16.bmp', '24.bmp')
        write_bmp24(same, width, height, lambda x, y: rows[y][x])
        for shown in (same, picture):
            c.lay_out([NOT_INSTALLED, NOT_INSTALLED], bitmap=shown)
            c.start()
            w = splash_checks(c, '&Install', (width, height), rows)
            c.key(w, 'Escape')
            c.finish([])


@case('bitmap')
def bit_fields_565_draw_like_24_bits(c):
    bit_fields_draw_like_24_bits(c, MASKS_565)


@case('bitmap')
def bit_fields_555_draw_like_24_bits(c):
    bit_fields_draw_like_24_bits(c, MASKS_555)


# Paths with blanks, the way Windows reads them.

@case('installrun')
def copied_disc_and_unquoted_deep_product(c):
    """The disc copied to a folder with a blank, a product recorded unquoted
    at a path of 128 characters or more, and a program where each path
    first breaks at a blank, which Windows would run given the path
    unquoted: the launcher finds the product, and starts the installer and
    the product, never the decoys."""
    c.lay_out([INSTALLED, INCOMPLETE])
    drive_c = os.path.join(c.cfg.prefix, 'drive_c')
    copy = os.path.join(drive_c, 'Copies', 'Product CD')
    suite = os.path.join(drive_c, 'Program Files (x86)', 'Orchard Learning Systems')
    bin_dir = os.path.join(suite, 'Orchard Practice Suite', 'Professional Edition 2024', 'bin')
    decoys = [os.path.join(drive_c, 'Copies', 'Product.exe'), os.path.join(drive_c, 'Program.exe')]
    program = ('C:\\Program Files (x86)\\Orchard Learning Systems\\Orchard Practice Suite\\'
               'Professional Edition 2024\\bin\\Brindlemark Paper Test 3.1.exe')
    check(len(program) >= 128, 'the program path is 128 characters or more')
    section, name, version, _, args = PRODUCTS[0]
    try:
        shutil.copytree(c.disc, copy)
        os.makedirs(bin_dir)
        shutil.copy(c.cfg.standin, os.path.join(bin_dir, 'Brindlemark Paper Test 3.1.exe'))
        for decoy in decoys:
            shutil.copy(c.cfg.standin, decoy)
        c.s.registry(['[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\%s\\%s\\%s]' % (name, version, section),
                      '"CommandLine"="%s %s"' % (program.replace('\\', '\\\\'), args.replace('"', '\\"')), ''],
                     'unquoted-%s.reg' % c.name, c.cfg.view)
        installer = 'C:\\Copies\\Product CD\\setup.exe'
        for button, started in ((101, (installer, '"%s"' % installer)),
                                (102, (program, '"%s" %s' % (program, args)))):
            c.start('C:\\Copies\\Product CD\\LAUNCH\\launcher.exe')
            w = choice_checks(c, 'Vantorel', REPAIR_RUN_FORMAT % (PRODUCTS[1][1], name), ('&Install', '&Run'))
            c.click_child(w, button)
            c.finish([started])
    finally:
        shutil.rmtree(os.path.join(drive_c, 'Copies'), ignore_errors=True)
        shutil.rmtree(suite, ignore_errors=True)
        for decoy in decoys:
            if os.path.exists(decoy):
                os.remove(decoy)


# Names of DLLs the launcher must never take from its own folder or the
# current one; Wine is told to prefer a DLL found there for each (on
# Windows every name outside the known DLLs is looked for there first).
# Left out: the names that a program importing only from KERNEL32, USER32,
# GDI32 and ADVAPI32, which keeps DLL searches to the system folder first
# thing, still loads from its folder under Wine: the system DLLs it imports
# and theirs (kernel32, kernelbase, user32, gdi32, advapi32, win32u, sechost,
# msvcrt, ucrtbase, imm32, version, zlib1) and what Wine's display driver
# brings with the first window (ole32, combase, rpcrt4): nothing a program
# can change.
PLANTED_DLLS = ('shell32', 'shcore', 'shlwapi', 'uxtheme')


@case('splash')
def copied_disc_loads_no_dll_from_its_folder(c):
    """The disc copied to the user's Downloads folder, with DLLs of system
    names beside the launcher and in the disc root (its current folder):
    the splash shows and "&Install" starts setup.exe; then, with a product
    recorded as a document, which WinExec cannot start, the shell opens it;
    and no planted DLL is loaded in either run."""
    c.lay_out([NOT_INSTALLED, NOT_INSTALLED])
    drive_c = os.path.join(c.cfg.prefix, 'drive_c')
    users = [u for u in os.listdir(os.path.join(drive_c, 'users')) if u.lower() != 'public']
    check(len(users) == 1, 'one user folder in the Wine prefix: %r' % users)
    downloads = os.path.join(drive_c, 'users', users[0], 'Downloads')
    copy = os.path.join(downloads, 'Brindlemark Practice CD')
    copy_win = 'C:\\users\\%s\\Downloads\\Brindlemark Practice CD' % users[0]
    markers = os.path.join(c.dir, 'markers.log')
    products = os.path.join(drive_c, PRODUCT_DIR)
    document = 'C:\\%s\\guide.e2edoc' % PRODUCT_DIR
    viewer = 'C:\\%s\\viewer.exe' % PRODUCT_DIR
    saved = {k: c.s.env.get(k) for k in ('WINEDLLOVERRIDES', 'E2E_MARKERS')}

    def loaded():
        if not os.path.exists(markers):
            return []
        return open(markers, 'rb').read().decode('cp1252').split('\r\n')[:-1]

    try:
        shutil.rmtree(copy, ignore_errors=True)
        shutil.copytree(c.disc, copy)
        for folder in (copy, os.path.join(copy, 'LAUNCH')):
            for name in PLANTED_DLLS:
                shutil.copy(c.cfg.marker, os.path.join(folder, name + '.dll'))
        c.s.env['E2E_MARKERS'] = windows_path(markers)
        c.s.env['WINEDLLOVERRIDES'] = ','.join(PLANTED_DLLS) + '=n,b;' + saved['WINEDLLOVERRIDES']

        c.start(copy_win + '\\LAUNCH\\launcher.exe', cwd=copy)
        size, rows = default_bitmap(c.cfg)
        w = splash_checks(c, '&Install', size, rows)
        c.key(w, 'Return')
        installer = copy_win + '\\setup.exe'
        c.finish([(installer, '"%s"' % installer)])

        # A product whose recorded command is a document: WinExec refuses
        # it, and the shell opens it with the program its type names.
        shutil.copy(c.cfg.standin, os.path.join(products, 'viewer.exe'))
        open(os.path.join(products, 'guide.e2edoc'), 'w').close()
        section, name, version, _, _ = PRODUCTS[0]
        c.s.records(['[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vantorel\\%s\\%s\\%s]' % (name, version, section),
                     '"CD"="C"', '"CommandLine"="%s"' % document.replace('\\', '\\\\'), ''], [], c.name)
        association = ['[HKEY_CLASSES_ROOT\\.e2edoc]', '@="e2edocfile"', '',
                       '[HKEY_CLASSES_ROOT\\e2edocfile\\shell\\open\\command]',
                       '@="\\"%s\\" \\"%%1\\""' % viewer.replace('\\', '\\\\'), '']
        for view in {c.cfg.view, c.cfg.other_view}:
            c.s.registry(association, 'association.reg', view)
        c.start(copy_win + '\\LAUNCH\\launcher.exe', cwd=copy)
        w = splash_checks(c, '&Run', size, rows)
        c.key(w, 'Return')
        c.finish([(viewer, '"%s" "%s"' % (viewer, document))])

        equal(loaded(), [], 'planted DLLs loaded (DLL, program)')
    except Failure as e:
        # A planted DLL refuses to load, and a program that needs it fails.
        raise Failure('%s; planted DLLs loaded (DLL, program): %r' % (e, loaded()))
    finally:
        for k, v in saved.items():
            if v is None:
                c.s.env.pop(k, None)
            else:
                c.s.env[k] = v
        shutil.rmtree(copy, ignore_errors=True)


# What matters most, for a round under each Windows version Wine can play:
# the splash with its own bitmap, a choice dialog, the repair message box,
# a quoted program path and the record only in the 64-bit view.
GROUPS['round'] = ['custom_bitmap_sizes_the_splash', 'first_incomplete_install_run_click_run',
                   'both_incomplete_yes_reinstalls', 'quoted_program_path_runs', 'record_only_in_64bit_view_runs']


# ---------------------------------------------------------------- main

def run_case(s, name):
    """Runs one case; returns None when it passes, else what went wrong."""
    c = Case(s, name)
    try:
        CASES[name](c)
        return None
    except Failure as e:
        try:
            s.save_png(os.path.join(c.dir, 'failure.png'))
            return '%s\n      screen: %s' % (e, os.path.join(c.dir, 'failure.png'))
        except (subprocess.CalledProcessError, OSError):
            return str(e)
    finally:
        c.stop()
        if s.codepage != 1252 or s.language:
            s.use_code_page(1252)


def run(cfg, names):
    os.makedirs(cfg.work, exist_ok=True)
    log_dir = os.path.join(cfg.work, 'logs-' + (cfg.windows + '-' if cfg.windows else '') + '-'.join(names)[:80])
    shutil.rmtree(log_dir, ignore_errors=True)
    os.makedirs(log_dir)
    passed = failed = 0
    flaky = []
    started = time.monotonic()
    print(cfg.under_test(), flush=True)
    with Session(cfg, log_dir) as s:
        for name in names:
            t0 = time.monotonic()
            error = run_case(s, name)
            if error is None:
                passed += 1
                print('ok    %-48s %5.1fs' % (name, time.monotonic() - t0), flush=True)
                continue
            # Once more, in case the machine was too slow; a pass then is
            # reported as flaky, not hidden.
            print('retry %-48s %5.1fs  %s' % (name, time.monotonic() - t0, error), flush=True)
            t1 = time.monotonic()
            again = run_case(s, name)
            if again is None:
                passed += 1
                flaky.append('%s (first try: %s)' % (name, error.split('\n')[0]))
                print('FLAKY %-48s %5.1fs  passed on the second try' % (name, time.monotonic() - t1), flush=True)
            else:
                failed += 1
                print('FAIL  %-48s %5.1fs  %s' % (name, time.monotonic() - t1, again), flush=True)
    if flaky:
        with open(os.path.join(cfg.work, 'flaky.txt'), 'a') as f:
            f.writelines('%s\n' % line for line in flaky)
    print('wine %s, %.1fs' % (cfg.arch, time.monotonic() - started))
    print('%d passed (%d flaky), %d failed' % (passed, len(flaky), failed))
    return failed == 0


def main(argv):
    if argv and argv[0] == '--list':
        for group, names in GROUPS.items():
            print(group + ': ' + ' '.join(names))
        return 0
    enter_wine32()
    cfg = Config()
    if argv and argv[0] == '--setup':
        setup_prefix(cfg)
        # A new run of the suite: no flaky cases yet.
        flaky = os.path.join(cfg.work, 'flaky.txt')
        if os.path.exists(flaky):
            os.remove(flaky)
        line = cfg.under_test()
        print(line)
        with open(os.path.join(cfg.work, 'under-test.txt'), 'w') as f:
            f.write(line + '\n')
        print('wine prefix ready (%s): %s' % (cfg.arch, cfg.prefix))
        return 0
    if argv[:1] == ['--windows']:
        if len(argv) < 2:
            print('driver: --windows needs a version (win95, win98, winxp, win7, win10)', file=sys.stderr)
            return 2
        cfg.windows = argv[1]
        argv = argv[2:]
        print('e2e: Wine plays Windows version %s (its version setting, not that system)' % cfg.windows)
    names = []
    for a in argv:
        if a in GROUPS:
            names += GROUPS[a]
        elif a in CASES:
            names.append(a)
        else:
            print('driver: no case or group ' + a, file=sys.stderr)
            return 2
    if not names:
        names = list(CASES)
    setup_prefix(cfg)
    return 0 if run(cfg, names) else 1


if __name__ == '__main__':
    signal.signal(signal.SIGTERM, lambda *a: sys.exit(3))
    sys.exit(main(sys.argv[1:]))
