#!/usr/bin/env python3
"""Reads the Scoop and winget manifests that tools/package made, as the package managers read them, and
checks them against the release they describe. Arguments: the dist folder, and the OWNER/REPO they name."""
import hashlib
import json
import re
import sys
import zipfile

import yaml

# The fields each manifest may hold: Scoop's app manifest schema and winget's 1.12.0 schemas. A field
# outside them is a typo that the package manager would refuse or, worse, ignore.
SCOOP = {"##", "_comment", "architecture", "autoupdate", "bin", "checkver", "cookie", "depends", "description",
         "env_add_path", "env_set", "extract_dir", "extract_to", "hash", "homepage", "innosetup", "installer",
         "license", "msi", "notes", "persist", "post_install", "pre_install", "psmodule", "shortcuts", "suggest",
         "uninstaller", "url", "version"}
SCOOP_ARCH = {"bin", "checkver", "extract_dir", "hash", "installer", "msi", "post_install", "pre_install",
              "shortcuts", "uninstaller", "url"}
SCOOP_AUTOUPDATE = {"architecture", "extract_dir", "hash", "note", "url"}
SCOOP_AUTOUPDATE_ARCH = {"extract_dir", "hash", "url"}
SCOOP_HASH_EXTRACTION = {"find", "jp", "jsonpath", "mode", "regex", "type", "url", "xpath"}
WINGET_VERSION = {"PackageIdentifier", "PackageVersion", "DefaultLocale", "ManifestType", "ManifestVersion"}
WINGET_LOCALE = {"PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PublisherUrl",
                 "PublisherSupportUrl", "PrivacyUrl", "Author", "PackageName", "PackageUrl", "License", "LicenseUrl",
                 "Copyright", "CopyrightUrl", "ShortDescription", "Description", "Moniker", "Tags", "Agreements",
                 "ReleaseNotes", "ReleaseNotesUrl", "PurchaseUrl", "InstallationNotes", "Documentations", "Icons",
                 "ManifestType", "ManifestVersion"}
WINGET_INSTALLER_COMMON = {"InstallerLocale", "Platform", "MinimumOSVersion", "InstallerType", "NestedInstallerType",
                           "NestedInstallerFiles", "Scope", "InstallModes", "InstallerSwitches",
                           "InstallerSuccessCodes", "ExpectedReturnCodes", "UpgradeBehavior", "Commands", "Protocols",
                           "FileExtensions", "Dependencies", "PackageFamilyName", "ProductCode", "Capabilities",
                           "RestrictedCapabilities", "Markets", "InstallerAbortsTerminal", "ReleaseDate",
                           "InstallLocationRequired", "RequireExplicitUpgrade", "DisplayInstallWarnings",
                           "UnsupportedOSArchitectures", "UnsupportedArguments", "AppsAndFeaturesEntries",
                           "ElevationRequirement", "InstallationMetadata", "DownloadCommandProhibited",
                           "RepairBehavior", "ArchiveBinariesDependOnPath", "Authentication"}
WINGET_INSTALLER = WINGET_INSTALLER_COMMON | {"PackageIdentifier", "PackageVersion", "Channel", "Installers",
                                              "ManifestType", "ManifestVersion"}
WINGET_ONE_INSTALLER = WINGET_INSTALLER_COMMON | {"Architecture", "InstallerUrl", "InstallerSha256",
                                                  "SignatureSha256"}
WINGET_NESTED_FILE = {"RelativeFilePath", "PortableCommandAlias"}

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)


def fields(record, allowed, required, where):
    check(isinstance(record, dict), f"{where} is not a mapping")
    if isinstance(record, dict):
        check(not set(record) - allowed, f"{where}: unknown fields {sorted(set(record) - allowed)}")
        check(not set(required) - set(record), f"{where}: missing {sorted(set(required) - set(record))}")


def main(dist, repository):
    owner = repository.split("/")[0]
    sums = dict(reversed(line.split()) for line in open(f"{dist}/SHA256SUMS"))
    version = re.search(r"^project\(QuintabelaTimer VERSION ([0-9.]+)", open("CMakeLists.txt").read(), re.M)[1]
    zip_name = f"Quintabela_Timer-{version}.zip"
    zip_sha = hashlib.sha256(open(f"{dist}/{zip_name}", "rb").read()).hexdigest()
    check(sums.get(zip_name) == zip_sha, "SHA256SUMS: the zip's line")
    with zipfile.ZipFile(f"{dist}/{zip_name}") as z:
        in_zip = z.namelist()
        made = "%04d-%02d-%02d" % z.infolist()[0].date_time[:3]
    url = f"https://github.com/{repository}/releases/download/v{version}/{zip_name}"

    scoop_file = f"{dist}/quintabela-timer.json"
    check(sums.get("quintabela-timer.json") is not None, "SHA256SUMS lists the Scoop manifest")
    scoop = json.load(open(scoop_file))
    fields(scoop, SCOOP, ["version", "homepage", "license"], "Scoop")
    check(scoop.get("version") == version and scoop.get("license") == "MIT", "Scoop: version and licence")
    check(scoop.get("homepage") == f"https://github.com/{repository}", "Scoop: homepage")
    arch = scoop.get("architecture", {}).get("64bit", {})
    fields(arch, SCOOP_ARCH, ["url", "hash"], "Scoop 64bit")
    check(arch.get("url") == url, f"Scoop: url {arch.get('url')}")
    check(arch.get("hash") == zip_sha, f"Scoop: hash {arch.get('hash')} is not the zip's {zip_sha}")
    check(all(s[0] in in_zip for s in scoop.get("shortcuts", [[""]])), "Scoop: a shortcut to a file not in the zip")
    update = scoop.get("autoupdate", {})
    fields(update, SCOOP_AUTOUPDATE, ["architecture"], "Scoop autoupdate")
    update_arch = update.get("architecture", {}).get("64bit", {})
    fields(update_arch, SCOOP_AUTOUPDATE_ARCH, ["url", "hash"], "Scoop autoupdate 64bit")
    fields(update_arch.get("hash"), SCOOP_HASH_EXTRACTION, ["url"], "Scoop autoupdate hash")
    check(update_arch.get("url", "").replace("$version", version) == url, "Scoop: autoupdate url")
    check(update_arch.get("hash", {}).get("url", "").replace("$baseurl", url.rsplit("/", 1)[0]) ==
          url.rsplit("/", 1)[0] + "/SHA256SUMS", "Scoop: autoupdate hash from SHA256SUMS")

    winget_zip = f"winget-manifests-{version}.zip"
    check(sums.get(winget_zip) is not None, "SHA256SUMS lists the winget manifests")
    identifier = f"{owner}.QuintabelaTimer"
    folder = f"manifests/{owner[0].lower()}/{owner}/QuintabelaTimer/{version}/"
    kinds = {"version": (f"{identifier}.yaml", WINGET_VERSION, WINGET_VERSION),
             "defaultLocale": (f"{identifier}.locale.en-US.yaml", WINGET_LOCALE,
                               ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher", "PackageName",
                                "License", "ShortDescription", "ManifestType", "ManifestVersion"]),
             "installer": (f"{identifier}.installer.yaml", WINGET_INSTALLER,
                           ["PackageIdentifier", "PackageVersion", "Installers", "ManifestType", "ManifestVersion"])}
    with zipfile.ZipFile(f"{dist}/{winget_zip}") as z:
        check(sorted(z.namelist()) == sorted(folder + name for name, _, _ in kinds.values()),
              f"winget: files {z.namelist()}")
        manifests = {}
        for kind, (name, allowed, required) in kinds.items():
            text = z.read(folder + name).decode("utf-8") if folder + name in z.namelist() else ""
            schema = f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}.1.12.0.schema.json\n"
            check(text.startswith(schema), f"winget {kind}: first line")
            record = yaml.load(text, Loader=yaml.BaseLoader) or {}
            fields(record, allowed, required, f"winget {kind}")
            check(record.get("ManifestType") == kind and record.get("ManifestVersion") == "1.12.0",
                  f"winget {kind}: manifest type and version")
            check(record.get("PackageIdentifier") == identifier and record.get("PackageVersion") == version,
                  f"winget {kind}: identifier and version")
            manifests[kind] = record
    check(manifests["defaultLocale"].get("Publisher") == owner, "winget: publisher")
    check(manifests["defaultLocale"].get("License") == "MIT", "winget: licence")
    installer = manifests["installer"]
    check(installer.get("InstallerType") == "zip" and installer.get("NestedInstallerType") == "portable",
          "winget: a portable exe in a zip")
    for nested in installer.get("NestedInstallerFiles", []):
        fields(nested, WINGET_NESTED_FILE, WINGET_NESTED_FILE, "winget nested file")
        check(nested.get("RelativeFilePath") in in_zip, f"winget: {nested.get('RelativeFilePath')} is not in the zip")
    check(installer.get("ReleaseDate") == made, f"winget: ReleaseDate {installer.get('ReleaseDate')}, not {made}")
    for one in installer.get("Installers", []):
        fields(one, WINGET_ONE_INSTALLER, ["Architecture", "InstallerUrl", "InstallerSha256"], "winget installer")
        check(one.get("Architecture") == "x64" and one.get("InstallerUrl") == url, "winget: x64 from the release")
        check(one.get("InstallerSha256", "").lower() == zip_sha, "winget: InstallerSha256 is not the zip's")

    for failure in failures:
        print(f"manifests: {failure}")
    if not failures:
        print(f"manifests: Scoop's and winget's three for {repository} {version} read as their tools read them")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:3]))
