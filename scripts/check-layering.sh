#!/usr/bin/env bash
# Checks the module boundaries and the size of functions; exit 1 when any check fails.
#
#   1. no file under link/ or sim/ includes a file under desk/;
#   2. no file under link/transport/ includes a file under sim/ or link/path/;
#   3. no function in link/, sim/ or desk/ is longer than 150 lines (the line of its opening
#      brace to the line of its closing brace).
#
# An include counts wherever it resolves: against the including file's folder, the top of the
# tree, link/ and link/include/ (the device library's include path), and also as written (an
# include spelled "desk/…" or "sim/…" counts even when no such file exists). __has_include()
# counts as an include.
#
# Limits of the function scanner: it strips comments, string and character literals (raw
# strings included) and preprocessor lines, then counts braces. A brace block is a function body
# when it opens outside any other function and its head (the text since the previous ';', '{' or
# '}', without a leading template clause) has a parenthesis and no '=' outside parentheses; any
# other block (namespace, class, extern "C", initialiser) is looked into. So a lambda or a local
# class counts with the function around it; a lambda inside an initialiser at namespace scope
# counts as a function of its own; a class head with parentheses (alignas(8)) would count as a
# function; and a function whose braces differ between #if branches confuses the count.
#
# Usage: scripts/check-layering.sh [ROOT]   (default: the repository holding this script)
# Files: the tracked C/C++ files when ROOT is a git checkout, otherwise every such file.
set -euo pipefail

root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
exec python3 - "$root" <<'PY'
import os
import re
import subprocess
import sys

root = os.path.abspath(sys.argv[1])
MAX_LINES = 150
SOURCE = re.compile(r"\.(c|cc|cpp|cxx|h|hh|hpp|inc)$")


def tracked_files():
    try:
        out = subprocess.run(["git", "-C", root, "ls-files"], check=True,
                             capture_output=True, text=True).stdout.split("\n")
        files = [f for f in out if f]
    except (OSError, subprocess.CalledProcessError):
        files = []
        for d, _, names in os.walk(root):
            if "/build" in d[len(root):] or "/.git" in d[len(root):]:
                continue
            files += [os.path.relpath(os.path.join(d, n), root) for n in names]
    return sorted(f for f in files if SOURCE.search(f) and os.path.isfile(os.path.join(root, f)))


def under(rel, folder):
    return rel == folder or rel.startswith(folder + "/")


INCLUDE = re.compile(r'^\s*#\s*(?:include|if.*__has_include)\s*\(?\s*"([^"]+)"', re.M)


def includes(rel, text):
    """(spelling, resolved path relative to root or None) of each quoted include."""
    here = os.path.dirname(rel)
    found = []
    for m in INCLUDE.finditer(text):
        name = m.group(1)
        resolved = None
        for base in (here, "", "link", "link/include"):
            cand = os.path.normpath(os.path.join(base, name))
            if not cand.startswith("..") and os.path.isfile(os.path.join(root, cand)):
                resolved = cand
                break
        line = text.count("\n", 0, m.start()) + 1
        found.append((name, resolved, line))
    return found


def strip(text):
    """The text with comments and literals blanked out (line breaks kept)."""
    out = []
    i, n = 0, len(text)
    while i < n:
        c = text[i]
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            out.append(" " * (j - i))
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == "R" and text.startswith('R"', i) and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            m = re.match(r'R"([^(\s]*)\(', text[i:])
            if not m:
                out.append(c)
                i += 1
                continue
            end = text.find(")" + m.group(1) + '"', i + m.end())
            j = n if end < 0 else end + len(m.group(1)) + 2
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c in "\"'":
            if c == "'" and i > 0 and text[i - 1].isalnum():  # digit separator 1'000
                out.append(" ")
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            j = min(j + 1, n)
            out.append(re.sub(r"[^\n]", " ", text[i:j]))
            i = j
        elif c == "#" and (i == 0 or text[i - 1] == "\n" or text[:i].rsplit("\n", 1)[-1].strip() == ""):
            # A preprocessor line (with its continuations) is not code.
            j = i
            while True:
                k = text.find("\n", j)
                if k < 0:
                    k = n
                    break
                if text[k - 1] != "\\":
                    break
                j = k + 1
            out.append(re.sub(r"[^\n]", " ", text[i:k]))
            i = k
        else:
            out.append(c)
            i += 1
    return "".join(out)


def drop_template_clause(h):
    """The head without a leading template <...> clause (its default arguments hold '=')."""
    m = re.match(r"\s*template\s*<", h)
    if not m:
        return h
    depth, k = 1, m.end()
    while k < len(h) and depth:
        depth += {"<": 1, ">": -1}.get(h[k], 0)
        k += 1
    return h[k:]


def head_kind(head):
    """'function' or 'block' for the text in front of an opening brace."""
    h = drop_template_clause(head)
    depth = 0
    has_paren = False
    for k, ch in enumerate(h):
        if ch == "(":
            depth += 1
            has_paren = True
        elif ch == ")":
            depth -= 1
        elif ch == "=" and depth == 0:
            if h[k + 1:k + 2] == "=" or h[k - 1:k] in ("=", "!", "<", ">"):
                continue  # a comparison operator's name
            if re.search(r"operator\s*[-+*/%&|^<>!]*$", h[:k]):
                continue  # operator=, operator+= ...
            return "block"  # an initialiser
    return "function" if has_paren else "block"


def function_name(head):
    h = re.sub(r"\s+", " ", head.strip())
    depth = 0
    for k, ch in enumerate(h):
        if ch == "(":
            if depth == 0:
                m = re.search(r"((?:[A-Za-z_][A-Za-z_0-9]*::)*(?:operator\s*\S+?|~?[A-Za-z_][A-Za-z_0-9]*))\s*$", h[:k])
                if m:
                    return m.group(1)
            depth += 1
        elif ch == ")":
            depth -= 1
    return h[:60]


def long_functions(text):
    code = strip(text)
    found = []
    stack = []  # one entry per open brace: 'scope', 'block' or ('function', name, line)
    head_start = 0
    in_function = 0
    for i, ch in enumerate(code):
        if ch == "{":
            if in_function:
                stack.append("inner")
            else:
                kind = head_kind(code[head_start:i])
                if kind == "function":
                    line = code.count("\n", 0, i) + 1
                    stack.append(("function", function_name(code[head_start:i]), line))
                    in_function += 1
                else:
                    stack.append(kind)
            head_start = i + 1
        elif ch == "}":
            top = stack.pop() if stack else "block"
            if isinstance(top, tuple):
                in_function -= 1
                end = code.count("\n", 0, i) + 1
                length = end - top[2] + 1
                if length > MAX_LINES:
                    found.append((top[1], top[2], length))
            head_start = i + 1
        elif ch == ";":
            head_start = i + 1
    return found


problems = []
for rel in tracked_files():
    in_link_or_sim = under(rel, "link") or under(rel, "sim")
    in_transport = under(rel, "link/transport")
    in_checked = in_link_or_sim or under(rel, "desk")
    if not in_checked:
        continue
    with open(os.path.join(root, rel), encoding="utf-8", errors="replace") as f:
        text = f.read()
    for name, resolved, line in includes(rel, text):
        targets = [t for t in (resolved, name) if t]
        if in_link_or_sim and any(under(t, "desk") for t in targets):
            problems.append(f"{rel}:{line}: includes desk/ (\"{name}\")")
        if in_transport and (any(under(t, "sim") or under(t, "link/path") for t in targets)
                             or under(name, "path")):
            problems.append(f"{rel}:{line}: the transport includes \"{name}\"")
    if SOURCE.search(rel) and not rel.endswith(".inc"):
        for fname, line, length in long_functions(text):
            problems.append(f"{rel}:{line}: {fname} is {length} lines long (at most {MAX_LINES})")

for p in problems:
    print(p)
sys.stdout.flush()
if problems:
    print(f"check-layering: {len(problems)} problem(s)", file=sys.stderr)
    sys.exit(1)
print("check-layering: includes run downwards; no function is longer than "
      f"{MAX_LINES} lines")
PY
