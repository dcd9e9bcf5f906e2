"""The languages the demo shows a disc in (used by demo.py).

A disc with [Texts.XXXX] sections shows other texts to users of other
languages, so --all shows it to several users, one row of the gallery each:
first a user of the disc's code page for whom no section applies (the
disc's own [Texts]), then a user of each section's language. --language
shows it to that one user, and neither option the first of them. Each user
is a Wine locale (scripts/wine-locale.sh --language), and each row's
machines and predictions are disccheck's for that language."""

import subprocess

import driver

# Tried first for the disc's own [Texts], before the other languages of its
# code page: the languages most discs are written for.
FIRST = ('0409', '0407', '040C', '0410', '0C0A', '0413', '0416', '0415', '0419', '0411', '0804', '0404', '0412')


def known():
    """id -> (code page, name): the languages Wine can be run as here."""
    out = subprocess.run([driver.WINE_LOCALE_SH, '--list'], stdout=subprocess.PIPE, check=True).stdout.decode()
    table = {}
    for line in out.splitlines():
        language, _, codepage, name = line.split(None, 3)
        table[language] = (int(codepage), name)
    return table


class Run:
    """The machines shown to one user: language None is the environment's
    locale, as a disc without sections is shown."""

    def __init__(self, data, language=None, name=None, codepage=None):
        self.data, self.language, self.name = data, language, name
        self.section = data['disc'].get('section', '')
        self.codepage = codepage or data['disc'].get('codepage', 1252)

    def who(self):
        """How the screen lines and disagreements name the user."""
        return '%s, %s' % (self.name, self.language)

    def label(self):
        return '%s (%s): the launcher shows [%s]' % (self.name, self.language, self.section or 'Texts')


def user(table, language, machines):
    codepage, name = table[language]
    return Run(machines, language, name, codepage)


def runs(o, data, machines_of, fail):
    """The users to show the disc to, and a line for each one left out.
    machines_of(language, code page) is disccheck's machines.json for that user."""
    sections = data['disc'].get('languages') or []
    if not o.language and not sections:
        return [Run(data)], []
    table = known()
    if o.language:
        if o.language not in table:
            fail('no locale here to run Wine as a user of the language %s (scripts/wine-locale.sh --list '
                 'names those it has)' % o.language)
        return [user(table, o.language, machines_of(o.language, table[o.language][0]))], []
    shown, skipped = [], []
    own = data['disc'].get('codepage', 1252)
    order = [x for x in FIRST if x in table] + sorted(x for x in table if x not in FIRST)
    for language in (x for x in order if table[x][0] == own):
        machines = machines_of(language, own)
        if not machines['disc'].get('section'):
            shown.append(user(table, language, machines))
            break
    else:
        skipped.append('[Texts]: a section applies to every language of code page %d Wine is run as here' % own)
    # Without --all, the disc's own texts alone, as a disc without sections
    # is shown.
    if not o.all:
        return shown or [Run(data)], skipped
    for entry in sections:
        language = entry['id'].upper()
        if language in [r.language for r in shown]:
            continue
        if language not in table:
            skipped.append('[%s] %s: no locale here to run Wine as a user of it' % (entry['section'], entry['name']))
            continue
        shown.append(user(table, language, machines_of(language, table[language][0])))
    return shown, skipped
