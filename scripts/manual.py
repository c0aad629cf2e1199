#!/usr/bin/env python3
"""Writes the manual page quorvel(1) and the bash completion of quorvel from
the command's own help texts, so that both list every command and option the
built command has: "quorvel help" names the commands, "quorvel help COMMAND"
gives each one's usage and options. The prose around them (passwords, exit
status, environment, examples) is tools/quorvel.1.in.

usage: manual.py QUORVEL TEMPLATE VERSION DATE MANUAL_OUT COMPLETION_OUT"""
import re
import subprocess
import textwrap
import sys


def run(quorvel, *arguments):
    done = subprocess.run([quorvel, *arguments], capture_output=True, text=True,
                          env={"LC_ALL": "C.UTF-8", "PATH": "/usr/bin:/bin"})
    if done.returncode != 0:
        sys.exit(f"manual: quorvel {' '.join(arguments)} exited with {done.returncode}")
    return done.stdout


def commands(quorvel):
    listing = run(quorvel, "help")
    names = re.findall(r"^  (\S+)\s", listing.split("commands:\n", 1)[1], re.M)
    for name in names:
        text = run(quorvel, "help", name)
        if not text.startswith(f"usage: quorvel {name}"):
            sys.exit(f"manual: 'quorvel help {name}' does not start with its usage")
        yield name, text


def roff(text):
    """Verbatim text for a no-fill block, long lines wrapped to 78 columns."""
    text = "\n".join(textwrap.fill(line, 78, subsequent_indent=re.match(r" *", line)[0],
                                   break_on_hyphens=False) if len(line) > 78 else line
                     for line in text.split("\n"))
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\n".join(("\\&" + line) if line.startswith((".", "'")) else line
                     for line in text.rstrip("\n").split("\n"))


def options(text):
    """The options a help text names, and the values of those that list them
    (--name original|time|md5)."""
    found = {}
    for option, values in re.findall(r"(?<![\w-])(--[a-z][a-z0-9-]*)(?:[ =]([a-z0-9]+(?:\|[a-z0-9]+)+))?",
                                     text):
        found.setdefault(option, values.replace("|", " ") if values else "")
    found.setdefault("--help", "")
    return found


def completion(table):
    names = " ".join(name for name, _ in table)
    cases, values = [], []
    for name, text in table:
        found = options(text)
        cases.append(f"    {name}) options='{' '.join(found)}' ;;")
        values += [f"    {o}) COMPREPLY=($(compgen -W '{v}' -- \"$cur\")); return ;;"
                   for o, v in found.items() if v]
    values = sorted(set(values))
    return f"""# bash completion for quorvel, generated from its help texts by scripts/manual.py
_quorvel() {{
  local cur=${{COMP_WORDS[COMP_CWORD]}} prev=${{COMP_WORDS[COMP_CWORD-1]}} options=
  if ((COMP_CWORD == 1)); then
    COMPREPLY=($(compgen -W 'help --help --version {names}' -- "$cur"))
    return
  fi
  case $prev in
{chr(10).join(values)}
  esac
  case ${{COMP_WORDS[1]}} in
    help) ((COMP_CWORD == 2)) && COMPREPLY=($(compgen -W '{names}' -- "$cur")); return ;;
{chr(10).join(cases)}
  esac
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
  else
    compopt -o filenames 2>/dev/null
    COMPREPLY=($(compgen -f -- "$cur"))
  fi
}}
complete -F _quorvel quorvel
"""


def main():
    if len(sys.argv) != 7:
        sys.exit(__doc__)
    quorvel, template, version, date, manual_out, completion_out = sys.argv[1:]
    table = list(commands(quorvel))
    sections = "\n".join(f".SS {name}\n.nf\n{roff(text)}\n.fi" for name, text in table)
    page = open(template, encoding="utf-8").read()
    page = page.replace("@VERSION@", version).replace("@DATE@", date)
    page = page.replace("@COMMANDS@\n", sections + "\n")
    open(manual_out, "w", encoding="utf-8").write(page)
    open(completion_out, "w", encoding="utf-8").write(completion(table))


main()
