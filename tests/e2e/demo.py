#!/usr/bin/env python3
"""Shows the launcher on the sample disc under Wine (used by demo.sh).

Lays out build/demo/disc from samples/disc with the built launcher and a
stand-in setup.exe, maps it as CD-ROM drive D: and starts the launcher.
With a display (DISPLAY set) the launcher simply runs there. Without one,
an Xvfb screen is started, the splash is saved to build/demo/splash.png,
and the dialog is cancelled so that the command ends.

Usage: demo.py SOURCE_DIR DEMO_DIR (paths of the programs as for driver.py)"""

import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import driver  # noqa: E402


def main(source_dir, demo_dir):
    os.environ['E2E_WORK'] = demo_dir
    cfg = driver.Config()
    driver.setup_prefix(cfg)

    disc = os.path.join(demo_dir, 'disc')
    shutil.rmtree(disc, ignore_errors=True)
    os.makedirs(os.path.join(disc, 'LAUNCH'))
    sample = os.path.join(source_dir, 'samples', 'disc')
    for name in ('autorun.inf', 'LAUNCH/install.ini', 'LAUNCH/Launcher.bmp'):
        shutil.copy(os.path.join(sample, name), os.path.join(disc, name))
    shutil.copy(cfg.launcher, os.path.join(disc, 'LAUNCH', 'launcher.exe'))
    shutil.copy(cfg.standin, os.path.join(disc, 'setup.exe'))
    link = os.path.join(cfg.prefix, 'dosdevices', 'd:')
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(disc, link)
    print('disc: ' + disc)

    if os.environ.get('DISPLAY'):
        e = cfg.wine_env(os.environ['DISPLAY'])
        e['E2E_LOG'] = driver.windows_path(os.path.join(demo_dir, 'starts.log'))
        rc = subprocess.call([cfg.loader, 'D:\\LAUNCH\\launcher.exe'], env=e)
        print('launcher exit code %d' % rc)
        return 0

    log_dir = os.path.join(demo_dir, 'logs')
    shutil.rmtree(log_dir, ignore_errors=True)
    os.makedirs(log_dir)
    with driver.Session(cfg, log_dir) as s:
        s.records([], [], 'demo')
        case = driver.Case(s, 'demo')
        case.disc = disc
        case.product_name = 'Brindlemark Practice'
        case.installer = 'D:\\setup.exe'
        case.start()
        window, _ = case.dialog(case.product_name)
        width, height, rows = driver.read_bmp(os.path.join(disc, 'LAUNCH', 'Launcher.bmp'))
        driver.check_pixels(case, window, rows)
        shot = os.path.join(demo_dir, 'splash.png')
        left, top, right, bottom = window['rect']
        full = os.path.join(log_dir, 'screen.png')
        s.save_png(full)
        # The splash with a margin of desktop around it.
        margin = 24
        x, y = max(left - margin, 0), max(top - margin, 0)
        subprocess.run(['convert', full, '-crop', '%dx%d+%d+%d' % (right - left + 2 * margin,
                                                                   bottom - top + 2 * margin, x, y),
                        '+repage', shot], check=True)
        print(shot)
        case.key(window, 'Escape')
        case.finish([])
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1], sys.argv[2]))
