# Shared by the end-to-end scripts (sourced): a clean work folder, failing
# with a message, and a fresh temporary home per run, on Qt's offscreen
# platform. Expects $work.
rm -rf "$work"
mkdir -p "$work"
fail() { echo "FAIL: $*" >&2; exit 1; }

fresh_home() {   # sets the XDG folders to a new home under $work/$1
    local h=$work/$1
    mkdir -p "$h/config" "$h/data" "$h/docs" "$h/run"
    chmod 700 "$h/run"
    export XDG_CONFIG_HOME=$h/config XDG_DATA_HOME=$h/data XDG_DOCUMENTS_DIR=$h/docs XDG_RUNTIME_DIR=$h/run
    export HOME=$h
}
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen
