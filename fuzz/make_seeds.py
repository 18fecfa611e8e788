#!/usr/bin/env python3
"""Turns .pptx / .xlsx packages into seeds for the package and xlsx fuzz targets.

Mutating a ZIP archive byte by byte mostly breaks its checksums, so those targets also take a
plain list of parts, which they pack into an archive themselves:

    === [Content_Types].xml
    <?xml ...?><Types ...>...</Types>
    === _rels/.rels
    ...

Each part runs from the line after its "=== name" line up to the next line that starts with
"=== ". To keep seeds small, parts a reader never looks at (document properties, thumbnails,
notes, handouts, unused slide layouts, workbook themes) are left out, together with the
relationships and content types that name them, and pictures become a one-pixel PNG.

    fuzz/make_seeds.py deck.pptx fuzz/corpus/package/deck.txt [--zip out.pptx]
"""
import argparse
import posixpath
import re
import zipfile

TINY_PNG = bytes.fromhex(
    "89504e470d0a1a0a0000000d4948445200000001000000010806000000"
    "1f15c4890000000d49444154789c6360000002000154a24f5d0000000049454e44ae426082")
DROPPED = re.compile(r"^(docProps/|ppt/notesSlides/|ppt/notesMasters/|ppt/handoutMasters/|"
                     r"ppt/commentAuthors|ppt/viewProps|xl/theme/|xl/printerSettings/|"
                     r"ppt/printerSettings/|customXml/)")


def rels_of(part):
    folder, name = posixpath.split(part)
    return posixpath.join(folder, "_rels", name + ".rels")


def source_of(rels):
    folder, name = posixpath.split(rels)
    return posixpath.join(posixpath.dirname(folder), name[: -len(".rels")])


def resolve(source, target):
    if target.startswith("/"):
        return target[1:]
    return posixpath.normpath(posixpath.join(posixpath.dirname(source), target))


def relationships(text):
    return re.findall(r'<Relationship\b[^>]*/>', text)


def attribute(element, name):
    found = re.search(r'\b' + name + r'="([^"]*)"', element)
    return found.group(1) if found else ""


def prune(parts):
    keep = {name for name in parts if not DROPPED.match(name)}
    # Slide layouts only as far as a kept slide uses them.
    used_layouts = set()
    for name in keep:
        if re.match(r"ppt/slides/_rels/slide\d+\.xml\.rels$", name):
            for rel in relationships(parts[name].decode("utf-8", "replace")):
                if attribute(rel, "Type").endswith("/slideLayout"):
                    used_layouts.add(resolve(source_of(name), attribute(rel, "Target")))
    for name in list(keep):
        if name.startswith("ppt/slideLayouts/slideLayout") and name not in used_layouts:
            keep.discard(name)
            keep.discard(rels_of(name))
    # Only what the package relationships reach, directly or through other parts.
    reached, todo = {"[Content_Types].xml"}, [""]
    while todo:
        source = todo.pop()
        rels = "_rels/.rels" if source == "" else rels_of(source)
        if rels not in keep:
            continue
        reached.add(rels)
        for rel in relationships(parts[rels].decode("utf-8", "replace")):
            target = resolve(source, attribute(rel, "Target"))
            if attribute(rel, "TargetMode") != "External" and target in keep and target not in reached:
                reached.add(target)
                todo.append(target)
    keep &= reached
    out = {}
    for name in sorted(keep, key=list(parts).index):
        data = parts[name]
        if name.endswith(".rels"):
            text = data.decode("utf-8")
            gone = []
            for rel in relationships(text):
                if attribute(rel, "TargetMode") == "External":
                    continue
                if resolve(source_of(name), attribute(rel, "Target")) not in keep:
                    gone.append(attribute(rel, "Id"))
                    text = text.replace(rel, "")
            data = text.encode("utf-8")
            source = source_of(name)
            if gone and source in parts and source in keep:
                xml = parts[source].decode("utf-8")
                for rid in gone:
                    xml = re.sub(r'<[\w:]+\b[^<>]*\br:id="' + re.escape(rid) + r'"[^<>]*/>', "", xml)
                parts[source] = xml.encode("utf-8")
        elif name == "[Content_Types].xml":
            text = data.decode("utf-8")
            for override in re.findall(r"<Override\b[^>]*/>", text):
                if attribute(override, "PartName").lstrip("/") not in keep:
                    text = text.replace(override, "")
            data = text.encode("utf-8")
        elif re.search(r"\.(png|jpe?g|gif|emf|wmf|bmp|tiff?)$", name, re.I):
            data = TINY_PNG
        out[name] = data
    # Relationship parts and sources may have been edited after they were copied.
    for name in out:
        if not name.endswith(".rels") and name in parts and name.endswith(".xml"):
            out[name] = parts[name]
    return out


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("package")
    parser.add_argument("seed")
    parser.add_argument("--zip", help="also write the pruned package as a real archive")
    args = parser.parse_args()
    with zipfile.ZipFile(args.package) as archive:
        parts = {info.filename: archive.read(info) for info in archive.infolist()}
    parts = prune(parts)
    with open(args.seed, "wb") as out:
        out.write(b"\n".join(b"=== " + name.encode() + b"\n" + data for name, data in parts.items()))
    if args.zip:
        with zipfile.ZipFile(args.zip, "w", zipfile.ZIP_DEFLATED) as archive:
            for name, data in parts.items():
                archive.writestr(name, data)


if __name__ == "__main__":
    main()
