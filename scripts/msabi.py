#!/usr/bin/env python3
"""The library's interface as Microsoft's compiler sees it.

Every public header is parsed twice by libclang for one architecture: once as
Microsoft's compiler would (i686-pc-windows-msvc / x86_64-pc-windows-msvc,
with the MinGW-w64 headers standing in for the Windows SDK) and once as
MinGW-w64's GCC does (*-w64-windows-gnu). Each exported declaration then has
two names, the Microsoft-decorated one and GCC's, and the two sets of types
it is declared with. Where the two agree the decorated name is an alias of
GCC's symbol; where they differ (see docs/windows-abi.md) the decorated name
must go to an adapter named quorvel_ms_<Name> (class members:
quorvel_ms_<Class>_<Member>), defined in a *_win.cpp source.

usage:
  msabi.py def ARCH LINK_DEF IMPORT_DEF
      writes the .def that adds the decorated names to the DLL (LINK_DEF:
      "decorated=gcc" lines) and the .def of the import library for
      Microsoft's linker (IMPORT_DEF: decorated and C names only).
  msabi.py handles ARCH SOURCE
      writes the adapters of the exports that take database handles.
  msabi.py wide HEADER
      writes <quorvel/wchar.h>: the public headers and inline wchar_t forms.
  msabi.py list ARCH
      prints each exported declaration: decorated name, GCC name, signature.
"""
import pathlib
import re
import subprocess
import sys

sys.path.append("/usr/lib/python3/dist-packages")  # Debian's python3-clang-14
import clang.cindex as ci  # noqa: E402

ROOT = pathlib.Path(__file__).resolve().parent.parent
INCLUDE = ROOT / "include"
PUBLIC = INCLUDE / "quorvel"
MINGW_INCLUDE = "/usr/share/mingw-w64/include"
# libclang does not find the compiler's own headers by itself.
RESOURCE_DIR = subprocess.run(["clang", "-print-resource-dir"], capture_output=True, text=True,
                              check=True).stdout.strip()

TRIPLES = {
    "i686": ("i686-pc-windows-msvc", "i686-w64-windows-gnu"),
    "x86_64": ("x86_64-pc-windows-msvc", "x86_64-w64-windows-gnu"),
}



def microsoft_flags(arch):
    """Microsoft mode, as cmake/microsoft-mode.flags lists it for `arch`."""
    flags = []
    for line in (ROOT / "cmake" / "microsoft-mode.flags").read_text().splitlines():
        if line.startswith("-"):
            flags.append(line)
        elif line.startswith(arch + " "):
            flags.append(line[len(arch) + 1:])
    return flags


def public_headers():
    return sorted(PUBLIC.glob("*.h"))


def all_headers_source():
    return "".join(f"#include <quorvel/{h.name}>\n" for h in public_headers())


class Failure(Exception):
    pass


def cxx_includes(triple):
    """MinGW-w64's C++ library headers (<comdef.h> wants <new>)."""
    gcc = "i686-w64-mingw32" if triple.startswith("i686") else "x86_64-w64-mingw32"
    found = sorted(pathlib.Path(f"/usr/lib/gcc/{gcc}").glob("*-posix/include/c++"))
    if not found:
        return []
    return ["-isystem", str(found[-1]), "-isystem", str(found[-1] / gcc)]


def parse(source, triple, microsoft, name="quorvel_all.cpp"):
    args = ["-x", "c++", "-std=c++17", f"--target={triple}", "-resource-dir", RESOURCE_DIR,
            *cxx_includes(triple), "-isystem", MINGW_INCLUDE,
            "-I", str(INCLUDE), "-DUNICODE", "-D_UNICODE"]
    if microsoft:
        args += microsoft_flags(triple.split("-")[0])
    tu = ci.Index.create().parse(name, args=args, unsaved_files=[(name, source)])
    errors = [d for d in tu.diagnostics if d.severity >= ci.Diagnostic.Error]
    return tu, errors


def _is_deleted(cursor):
    spelled = " ".join(t.spelling for t in cursor.get_tokens())
    return re.search(r"=\s*delete\b", spelled) is not None


def _has_dllimport(cursor):
    return any(c.kind == ci.CursorKind.DLLIMPORT_ATTR for c in cursor.get_children())


def _in_public_header(cursor):
    f = cursor.location.file
    return f is not None and pathlib.Path(f.name).parent == PUBLIC


FUNCTION_KINDS = (ci.CursorKind.FUNCTION_DECL, ci.CursorKind.CXX_METHOD,
                  ci.CursorKind.CONSTRUCTOR, ci.CursorKind.DESTRUCTOR)
SCOPE_KINDS = (ci.CursorKind.STRUCT_DECL, ci.CursorKind.CLASS_DECL, ci.CursorKind.NAMESPACE,
               ci.CursorKind.LINKAGE_SPEC, ci.CursorKind.UNEXPOSED_DECL)


def exported_declarations(tu, only=None):
    """The declarations that the DLL exports: dllimport'ed functions and
    variables (or members of a dllimport'ed class) that are not inline,
    defined in the header or deleted. `only` limits them to one file."""
    found = []

    def walk(scope, imported_class):
        for c in scope.get_children():
            f = c.location.file
            where = f and pathlib.Path(f.name)
            if only is not None and where != only:
                if c.kind in SCOPE_KINDS and where is None:
                    walk(c, imported_class)
                continue
            if only is None and not _in_public_header(c):
                continue
            if c.kind in SCOPE_KINDS:
                walk(c, imported_class or (c.kind != ci.CursorKind.NAMESPACE and _has_dllimport(c)))
            elif c.kind in FUNCTION_KINDS:
                if c.is_definition() or _is_deleted(c):
                    continue
                if only is not None or _has_dllimport(c) or imported_class:
                    found.append(c)
            elif c.kind == ci.CursorKind.VAR_DECL:
                if only is not None or _has_dllimport(c):
                    found.append(c)

    walk(tu.cursor, False)
    return found


def qualified_name(c):
    parts = [c.spelling]
    p = c.semantic_parent
    while p is not None and p.kind != ci.CursorKind.TRANSLATION_UNIT:
        if p.spelling:
            parts.insert(0, p.spelling)
        p = p.semantic_parent
    return "::".join(parts)


def is_handle(t):
    """A database handle: the COM smart pointer _com_ptr_t."""
    return t.get_canonical().spelling.startswith("_com_ptr_t<")


def _shape(t):
    """What decides how a value of type t is passed: its canonical spelling,
    size, and for a pointer or reference the size of what it points to; for
    a class by value whether it is plain old data. A handle returned by
    value comes back through a hidden pointer in both conventions (the
    caller pops it on i686, and it is handed back in EAX/RAX), so handles
    compare by their typedef's name."""
    if is_handle(t):
        return (t.spelling, t.get_canonical().get_size())
    t = t.get_canonical()
    shape = [t.spelling, t.get_size()]
    if t.kind in (ci.TypeKind.POINTER, ci.TypeKind.LVALUEREFERENCE, ci.TypeKind.RVALUEREFERENCE):
        shape.append(t.get_pointee().get_canonical().get_size())
    if t.kind == ci.TypeKind.RECORD:
        shape.append(t.is_pod())
    return tuple(shape)


def signature_shapes(c):
    if c.kind == ci.CursorKind.VAR_DECL:
        return [_shape(c.type)]
    return [_shape(c.result_type)] + [_shape(a.type) for a in c.get_arguments()]


class Export:
    def __init__(self, ms, gnu):
        self.ms_cursor, self.gnu_cursor = ms, gnu
        self.name = qualified_name(ms)
        self.ms_name = ms.mangled_name
        if ms.kind == ci.CursorKind.DESTRUCTOR:
            # libclang names the complete-object destructor (??_D, which
            # Microsoft's compiler emits only for virtual bases); callers
            # call the destructor itself, ??1.
            self.ms_name = re.sub(r"^\?\?_D(.*)XXZ$", r"??1\1@XZ", self.ms_name)
        self.gnu_name = gnu.mangled_name
        self.data = ms.kind == ci.CursorKind.VAR_DECL
        self.c_name = ms.spelling if not self.ms_name.startswith("?") else None
        self.signature = f"{ms.type.spelling} {self.name}" if self.data else \
            f"{ms.result_type.spelling} {self.name}({', '.join(a.type.spelling for a in ms.get_arguments())})"
        self.handle_params = [] if self.data else \
            [i for i, a in enumerate(ms.get_arguments()) if is_handle(a.type)]
        self.reasons = self._differences()

    def _differences(self):
        ms, gnu = self.ms_cursor, self.gnu_cursor
        reasons = []
        if self.handle_params:
            # Generated: see write_handle_adapters.
            return [f"database handles by value ({', '.join(str(i) for i in self.handle_params)})"]
        if ms.kind == ci.CursorKind.CONSTRUCTOR:
            reasons.append("a constructor returns this in Microsoft's convention")
        if ms.kind in FUNCTION_KINDS and ms.is_virtual_method():
            reasons.append("virtual member: the virtual tables differ")
        ms_shape, gnu_shape = signature_shapes(ms), signature_shapes(gnu)
        if ms_shape != gnu_shape:
            reasons.append(f"types differ: {ms_shape} for Microsoft, {gnu_shape} for GCC")
        for s in ms_shape:
            if len(s) == 3 and s[2] is False:
                reasons.append(f"{s[0]} by value is not plain old data")
        return reasons

    @property
    def adapter(self):
        if not self.reasons:
            return None
        if self.handle_params:  # overloads: the GCC name tells them apart
            return "quorvel_ms_" + self.gnu_name.lstrip("_")
        return "quorvel_ms_" + self.name.replace("::~", "_destroy_").replace("::", "_")


def table_names(e, arch):
    """The export's two names as the DLL's export table spells them."""
    if e.c_name:
        return e.c_name, e.c_name
    return e.ms_name, e.gnu_name[1:] if arch == "i686" else e.gnu_name


def member_line(e):
    params = ", ".join(a.type.spelling for a in e.ms_cursor.get_arguments())
    return f"{e.name}({params})"


def listed(arch, path):
    """The declarations of a list such as tests/exports.txt (one a line, as
    a header declares it; data as type and name; class members as
    Class::Member(parameters), compared as text; "pending " before a
    declaration that the library does not define yet) as Export objects,
    the member lines, and the lines that do not compile."""
    lines = pathlib.Path(path).read_text().splitlines()
    source = all_headers_source()
    origin = {}  # line of the source -> line of the list
    members = {}
    pending = set()  # lines of declarations not defined yet
    for number, raw in enumerate(lines, 1):
        line = raw.split("#", 1)[0].strip()
        if not line:
            continue
        if "::" in line or re.fullmatch(r"\w+", line):
            members[line.replace(" ", "")] = number  # a bare name is reported as unknown
            continue
        if line.startswith("pending "):
            line = line[len("pending "):]
            pending.add(number)
        origin[source.count("\n") + 1] = number
        source += ("" if "(" in line else 'extern "C" ') + line + ";\n"
    ms_triple, gnu_triple = TRIPLES[arch]
    name = "exports_listed.cpp"
    tus, errors = [], []
    for triple, microsoft in ((ms_triple, True), (gnu_triple, False)):
        tu, bad = parse(source, triple, microsoft, name)
        errors += [f"{path}:{origin.get(d.location.line, '?')}: {d.spelling}" for d in bad]
        tus.append(tu)
    if errors:
        return [], members, sorted(set(errors))
    key = lambda c: (c.location.line, c.location.column)
    gnu = {key(c): c for c in exported_declarations(tus[1], pathlib.Path(name))}
    found = []
    for c in exported_declarations(tus[0], pathlib.Path(name)):
        e = Export(c, gnu[key(c)])
        e.list_line = origin[c.location.line]
        e.pending = e.list_line in pending
        found.append(e)
    return found, members, []


def interface(arch):
    """The exports of the public headers for one architecture."""
    ms_triple, gnu_triple = TRIPLES[arch]
    source = all_headers_source()
    ms_tu, ms_errors = parse(source, ms_triple, True)
    gnu_tu, gnu_errors = parse(source, gnu_triple, False)
    if ms_errors or gnu_errors:
        raise Failure("the public headers do not compile:\n" +
                      "\n".join(str(d) for d in ms_errors + gnu_errors))
    key = lambda c: (c.location.file.name, c.location.line, c.location.column)
    gnu = {key(c): c for c in exported_declarations(gnu_tu)}
    exports = []
    for c in exported_declarations(ms_tu):
        twin = gnu.get(key(c))
        if twin is None:
            raise Failure(f"{c.location.file.name}:{c.location.line}: {c.spelling} is declared "
                          "only in Microsoft mode")
        exports.append(Export(c, twin))
    return exports


LIST = ROOT / "tests" / "exports.txt"


def write_defs(arch, link_def, import_def):
    listed_exports, _, errors = listed(arch, LIST)
    if errors:
        raise Failure("\n".join(errors))
    pending = {e.ms_name for e in listed_exports if e.pending}
    exports = [e for e in interface(arch) if e.ms_name not in pending]
    adapted = [e for e in exports if e.adapter]
    for e in adapted:
        if not e.handle_params:
            print(f"msabi: {e.signature} goes to {e.adapter}: {'; '.join(e.reasons)}")
    handled = sum(1 for e in adapted if e.handle_params)
    if handled:
        print(f"msabi: {handled} exports that take database handles go to generated adapters")
    names = [e.adapter for e in adapted]
    clashes = sorted({n for n in names if names.count(n) > 1})
    if clashes:
        raise Failure(f"two overloads need the adapter {', '.join(clashes)}: "
                      "give the adapters' names their parameter types in Export.adapter")
    link = ["; Microsoft-decorated names of the exports (generated by scripts/msabi.py)",
            "EXPORTS"]
    imports = ["LIBRARY Quorvel.dll", "EXPORTS"]
    for e in exports:
        if e.c_name:
            imports.append(f"  {e.c_name}{' DATA' if e.data else ''}")
            continue
        target = e.adapter
        if target is None:
            # A .def names symbols without i686's leading underscore.
            target = e.gnu_name[1:] if arch == "i686" else e.gnu_name
        link.append(f"  {e.ms_name}={target}{' DATA' if e.data else ''}")
        imports.append(f"  {e.ms_name}{' DATA' if e.data else ''}")
    pathlib.Path(link_def).write_text("\n".join(link) + "\n")
    pathlib.Path(import_def).write_text("\n".join(imports) + "\n")


def write_handle_adapters(arch, out):
    """The adapters of the exports that take database handles by value.
    Microsoft's compiler passes such a class (its copy constructor is not
    trivial) as the object itself on the stack on i686 and as a pointer to
    a temporary on x86_64, and the callee destroys it; GCC passes a pointer
    to a temporary that the caller destroys. Each adapter takes the
    Microsoft form, calls the export and destroys what it was handed, so
    the reference the host's copy holds is released once."""
    body = []
    for e in interface(arch):
        if not e.handle_params:
            continue
        args = list(e.gnu_cursor.get_arguments())
        params, call, owned = [], [], []
        for i, a in enumerate(args):
            t = declared_type(a)
            if i in e.handle_params:
                if arch == "i686":
                    params.append(f"{t}::Interface *a{i}")
                    owned.append(f"    {t} h{i}(a{i}, false);")
                    call.append(f"h{i}")
                else:
                    params.append(f"{t} *a{i}")
                    owned.append(f"    struct D{i} {{ {t} *p; ~D{i}() {{ p->~{t}(); }} }} d{i}{{a{i}}};")
                    call.append(f"*a{i}")
            else:
                params.append(f"{t} a{i}")
                call.append(f"a{i}")
        result = e.gnu_cursor.result_type.spelling
        body.append(f'extern "C" {result} {e.adapter}({", ".join(params)}) {{\n' +
                    "\n".join(owned) + f"\n    return {e.ms_cursor.spelling}({', '.join(call)});\n}}")
    text = ["// Generated by scripts/msabi.py: adapters of the exports that take",
            "// database handles, for hosts built by Microsoft's compiler.",
            all_headers_source(), "\n\n".join(body), ""]
    pathlib.Path(out).parent.mkdir(parents=True, exist_ok=True)
    pathlib.Path(out).write_text("\n".join(text))


WIDE = re.compile(r"\bunsigned short\s*(?=\*)")


def declared_type(arg):
    """A parameter's type as the public header writes it. The runtime's
    headers rename some structures by macro (_stati64 is _stat64 under the
    UCRT, a different type under 32-bit MinGW), so a structure keeps the
    name it has in the source, which means the right type under each."""
    spelled = arg.type.spelling
    if not spelled.startswith(("struct ", "const struct ")):
        return spelled
    tokens = [t.spelling for t in arg.get_tokens()]
    if tokens and tokens[-1] == arg.spelling:
        tokens = tokens[:-1]
    return " ".join(tokens)


def write_wide_header(out):
    """<quorvel/wchar.h>: every public header, and for each export that
    takes UTF-16 text an inline overload taking wchar_t text (Microsoft's
    wchar_t is a type of its own), so that a host passes L"..." without a
    cast. Only the first text argument decides the overload: a null pointer
    there selects the unsigned short form, as before. Nothing is exported."""
    tu, errors = parse(all_headers_source(), TRIPLES["x86_64"][0], True)
    if errors:
        raise Failure("\n".join(str(d) for d in errors))
    body = []
    for c in exported_declarations(tu):
        if c.kind != ci.CursorKind.FUNCTION_DECL:
            continue
        args = list(c.get_arguments())
        wide = [bool(WIDE.search(a.type.spelling)) for a in args]
        if not any(wide):
            continue
        first = wide.index(True)
        params, call = [], []
        for i, a in enumerate(args):
            t = declared_type(a)
            name = f"a{i}"
            if wide[i]:
                t = WIDE.sub("W " if i == first else "typename quorvel_text<W>::type ", t)
                call.append(f"reinterpret_cast<{a.type.spelling}>({name})")
            else:
                call.append(name)
            params.append(f"{t} {name}")
        result = c.result_type.spelling
        returned = f"{c.spelling}({', '.join(call)})"
        if WIDE.search(result):
            result = WIDE.sub("W ", result)
            returned = f"reinterpret_cast<{result}>({returned})"
        body.append(f"template <class W, typename quorvel_wchar_only<W>::type = 0>\n"
                    f"inline {result} {c.spelling}({', '.join(params)}) {{\n"
                    f"    return {returned};\n}}")
    text = ["/* Quorvel: every public header, with wchar_t forms of the exports that",
            " * take UTF-16 text. Generated by scripts/msabi.py; inline, not exported. */",
            "#ifndef QUORVEL_WCHAR_H", "#define QUORVEL_WCHAR_H", "",
            all_headers_source(),
            "#if defined(_WIN32) && defined(__cplusplus) && \\",
            "    (!defined(_MSC_VER) || defined(_NATIVE_WCHAR_T_DEFINED))",
            "template <class W> struct quorvel_wchar_only {};",
            "template <> struct quorvel_wchar_only<wchar_t> { typedef int type; };",
            "template <class W> struct quorvel_text { typedef W type; };", "",
            "\n\n".join(body), "#endif", "", "#endif", ""]
    pathlib.Path(out).parent.mkdir(parents=True, exist_ok=True)
    pathlib.Path(out).write_text("\n".join(text))


def main():
    if len(sys.argv) >= 3 and sys.argv[1] == "def" and len(sys.argv) == 5:
        write_defs(sys.argv[2], sys.argv[3], sys.argv[4])
    elif len(sys.argv) == 4 and sys.argv[1] == "handles":
        write_handle_adapters(sys.argv[2], sys.argv[3])
    elif len(sys.argv) == 3 and sys.argv[1] == "wide":
        write_wide_header(sys.argv[2])
    elif len(sys.argv) == 3 and sys.argv[1] == "list":
        for e in interface(sys.argv[2]):
            print(f"{e.ms_name}\t{e.gnu_name}\t{e.signature}\t{e.adapter or ''}")
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    try:
        main()
    except Failure as failure:
        sys.exit(f"msabi: {failure}")
