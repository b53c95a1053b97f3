# shellcheck shell=bash
# SPDX-License-Identifier: MIT
# Sourced by the scripts that download Debian packages without touching the system's apt.
# privateAptConf DIR ARCH SOURCES-LINE: an apt configuration in DIR with its own sources,
# state, cache and an empty dpkg status, for ARCH alone; prints its file name. It is read after
# the system's: downloads run as the user running this (apt's own _apt user may not reach
# DIR), and none of the system's hooks (they refresh the system's own caches) run.
privateAptConf() {
    local apt=$1 arch=$2
    mkdir -p "$apt/lists/partial" "$apt/archives/partial" "$apt/sources.list.d" "$apt/preferences.d"
    : >"$apt/status"
    echo "$3" >"$apt/sources.list"
    cat >"$apt/apt.conf" <<CONF
Dir::State "$apt";
Dir::State::Lists "$apt/lists";
Dir::State::status "$apt/status";
Dir::Cache "$apt";
Dir::Cache::Archives "$apt/archives";
Dir::Etc::SourceList "$apt/sources.list";
Dir::Etc::SourceParts "$apt/sources.list.d";
Dir::Etc::Preferences "$apt/preferences";
Dir::Etc::PreferencesParts "$apt/preferences.d";
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
APT::Install-Recommends "false";
APT::Sandbox::User "$(id -un)";
Debug::NoLocking "true";
#clear APT::Update::Pre-Invoke;
#clear APT::Update::Post-Invoke;
#clear APT::Update::Post-Invoke-Success;
#clear DPkg::Pre-Invoke;
#clear DPkg::Post-Invoke;
CONF
    echo "$apt/apt.conf"
}
