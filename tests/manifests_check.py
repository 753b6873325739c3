#!/usr/bin/env python3
"""Reads the Scoop and winget manifests that tools/package made, as the package managers read them, and
checks them against the release they describe. Arguments: the dist folder, and the OWNER/REPO they name."""
import hashlib
import json
import re
import sys
import zipfile

import yaml

# The fields each manifest may hold, from Scoop's app manifest schema and winget's 1.12.0 schemas: a field
# outside them is a typo that the package manager would refuse or, worse, ignore.
SCOOP = set("""## _comment architecture autoupdate bin checkver cookie depends description env_add_path env_set extract_dir
    extract_to hash homepage innosetup installer license msi notes persist post_install pre_install psmodule
    shortcuts suggest uninstaller url version""".split())
SCOOP_ARCH = set("bin checkver extract_dir hash installer msi post_install pre_install shortcuts uninstaller url".split())
SCOOP_UPDATE, SCOOP_UPDATE_ARCH = {"architecture", "extract_dir", "hash", "note", "url"}, {"extract_dir", "hash", "url"}
SCOOP_HASH = {"find", "jp", "jsonpath", "mode", "regex", "type", "url", "xpath"}
WINGET_VERSION = {"PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"}
WINGET_LOCALE = WINGET_VERSION - {"DefaultLocale"} | set("""PackageLocale Publisher PublisherUrl PublisherSupportUrl
    PrivacyUrl Author PackageName PackageUrl License LicenseUrl Copyright CopyrightUrl ShortDescription Description
    Moniker Tags Agreements ReleaseNotes ReleaseNotesUrl PurchaseUrl InstallationNotes Documentations Icons""".split())
WINGET_COMMON = set("""InstallerLocale Platform MinimumOSVersion InstallerType NestedInstallerType NestedInstallerFiles
    Scope InstallModes InstallerSwitches InstallerSuccessCodes ExpectedReturnCodes UpgradeBehavior Commands Protocols
    FileExtensions Dependencies PackageFamilyName ProductCode Capabilities RestrictedCapabilities Markets
    InstallerAbortsTerminal ReleaseDate InstallLocationRequired RequireExplicitUpgrade DisplayInstallWarnings
    UnsupportedOSArchitectures UnsupportedArguments AppsAndFeaturesEntries ElevationRequirement InstallationMetadata
    DownloadCommandProhibited RepairBehavior ArchiveBinariesDependOnPath Authentication""".split())
WINGET_INSTALLER = WINGET_COMMON | WINGET_VERSION - {"DefaultLocale"} | {"Channel", "Installers"}
WINGET_ONE_INSTALLER = WINGET_COMMON | {"Architecture", "InstallerUrl", "InstallerSha256", "SignatureSha256"}
WINGET_NESTED_FILE = {"RelativeFilePath", "PortableCommandAlias"}

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def fields(record, allowed, required, where):
    record = record if isinstance(record, dict) else {}
    check(not set(record) - allowed, f"{where}: unknown fields {sorted(set(record) - allowed)}")
    check(not set(required) - set(record), f"{where}: missing {sorted(set(required) - set(record))}")
    return record


def main(dist, repository):
    owner = repository.split("/")[0]
    sums = dict(reversed(line.split()) for line in open(f"{dist}/SHA256SUMS"))
    version = re.search(r"^project\(QuintabelaTimer VERSION ([0-9.]+)", open("CMakeLists.txt").read(), re.M)[1]
    zip_name = f"Quintabela_Timer-{version}.zip"
    zip_sha = hashlib.sha256(open(f"{dist}/{zip_name}", "rb").read()).hexdigest()
    with zipfile.ZipFile(f"{dist}/{zip_name}") as z:
        in_zip, made = z.namelist(), "%04d-%02d-%02d" % z.infolist()[0].date_time[:3]
    base = f"https://github.com/{repository}/releases/download/v{version}"
    check(sums.get(zip_name) == zip_sha and "quintabela-timer.json" in sums, "SHA256SUMS: the zip and Scoop's")

    scoop = fields(json.load(open(f"{dist}/quintabela-timer.json")), SCOOP, ["version", "homepage", "license"], "Scoop")
    check((scoop.get("version"), scoop.get("license"), scoop.get("homepage")) ==
          (version, "MIT", f"https://github.com/{repository}"), "Scoop: version, licence and homepage")
    arch = fields(scoop.get("architecture", {}).get("64bit"), SCOOP_ARCH, ["url", "hash"], "Scoop 64bit")
    check(arch.get("url") == f"{base}/{zip_name}", f"Scoop: url {arch.get('url')}")
    check(arch.get("hash") == zip_sha, f"Scoop: hash {arch.get('hash')} is not the zip's {zip_sha}")
    shortcuts = scoop.get("shortcuts") or []
    check(shortcuts and all(s[0] in in_zip for s in shortcuts), f"Scoop: shortcuts {shortcuts} not to the exe in the zip")
    update = fields(scoop.get("autoupdate"), SCOOP_UPDATE, ["architecture"], "Scoop autoupdate")
    update = fields(update.get("architecture", {}).get("64bit"), SCOOP_UPDATE_ARCH, ["url", "hash"], "Scoop update")
    hash_from = fields(update.get("hash"), SCOOP_HASH, ["url"], "Scoop update hash")
    check(update.get("url", "").replace("$version", version) == f"{base}/{zip_name}", "Scoop: autoupdate url")
    check(hash_from.get("url", "").replace("$baseurl", base) == f"{base}/SHA256SUMS", "Scoop: autoupdate hash")

    winget_zip, identifier = f"winget-manifests-{version}.zip", f"{owner}.QuintabelaTimer"
    check(winget_zip in sums, "SHA256SUMS lists the winget manifests")
    folder = f"manifests/{owner[0].lower()}/{owner}/QuintabelaTimer/{version}/"
    kinds = {"version": ("", WINGET_VERSION, WINGET_VERSION),
             "defaultLocale": (".locale.en-US", WINGET_LOCALE, ["PackageLocale", "Publisher", "PackageName", "License",
                                                               "ShortDescription"]),
             "installer": (".installer", WINGET_INSTALLER, ["Installers"])}
    manifests = {}
    with zipfile.ZipFile(f"{dist}/{winget_zip}") as z:
        names = {kind: f"{folder}{identifier}{suffix}.yaml" for kind, (suffix, _, _) in kinds.items()}
        check(sorted(z.namelist()) == sorted(names.values()), f"winget: files {z.namelist()}")
        for kind, (_, allowed, required) in kinds.items():
            text = z.read(names[kind]).decode() if names[kind] in z.namelist() else ""
            schema = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.1.12.0.schema.json\n"
            check(text.startswith(schema), f"winget {kind}: first line")
            record = fields(yaml.load(text, Loader=yaml.BaseLoader), allowed,
                            ["PackageIdentifier", "PackageVersion", "ManifestType", "ManifestVersion", *required],
                            f"winget {kind}")
            check((record.get("ManifestType"), record.get("ManifestVersion"), record.get("PackageIdentifier"),
                   record.get("PackageVersion")) == (kind, "1.12.0", identifier, version), f"winget {kind}: header")
            manifests[kind] = record
    locale, installer = manifests["defaultLocale"], manifests["installer"]
    check((locale.get("Publisher"), locale.get("License")) == (owner, "MIT"), "winget: publisher and licence")
    check((installer.get("InstallerType"), installer.get("NestedInstallerType")) == ("zip", "portable"), "winget: type")
    check(installer.get("NestedInstallerFiles"), "winget: no NestedInstallerFiles")
    check(installer.get("Installers"), "winget: no Installers")
    for nested in installer.get("NestedInstallerFiles") or []:
        fields(nested, WINGET_NESTED_FILE, WINGET_NESTED_FILE, "winget nested file")
        check(nested.get("RelativeFilePath") in in_zip, f"winget: {nested.get('RelativeFilePath')} is not in the zip")
    check(installer.get("ReleaseDate") == made, f"winget: ReleaseDate {installer.get('ReleaseDate')}, not {made}")
    for one in installer.get("Installers") or []:
        fields(one, WINGET_ONE_INSTALLER, ["Architecture", "InstallerUrl", "InstallerSha256"], "winget installer")
        check((one.get("Architecture"), one.get("InstallerUrl")) == ("x64", f"{base}/{zip_name}"), "winget: x64 url")
        check(one.get("InstallerSha256", "").lower() == zip_sha, "winget: InstallerSha256 is not the zip's")

    for failure in failures:
        print(f"manifests: {failure}")
    if not failures:
        print(f"manifests: Scoop's and winget's three for {repository} {version} read as their tools read them")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
