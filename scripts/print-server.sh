#!/usr/bin/env bash
# A print server for the print tests, and "stop" undoes all that "start" did:
#   scripts/print-server.sh start   starts CUPS (without systemd) unless it runs
#                                   already, and adds three queues of this run's
#                                   own: a PDF printer and two that refuse prints
#   scripts/print-server.sh stop    removes those queues and their settings and
#                                   stops CUPS if start started it
# The server's default printer is left alone: a program is sent to a queue
# with PRINTER=queue. What this run added lives in a private folder named in
# the state file $PINDEL_PRINT_STATE (by default
# ${TMPDIR:-/tmp}/pindel-print-server-UID.state), a shell file for the tests to
# source:
#   PINDEL_PDF_QUEUE         the PDF printer; its PDFs land in
#   PINDEL_PDF_DIR/$USER
#   PINDEL_REJECTING_QUEUE   a queue that rejects jobs
#   PINDEL_STOPPED_QUEUE     a stopped queue
# Runs with different state files (build-and-test.sh keeps it in the build
# folder) do not disturb each other.
set -euo pipefail
state="${PINDEL_PRINT_STATE:-${TMPDIR:-/tmp}/pindel-print-server-$(id -u).state}"
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)

scheduler_running() { lpstat -r 2>/dev/null | grep -q "is running"; }

# Undoes what the run recorded in the state file; each step is written to the
# state file before it is taken, so a run cut short is undone as far as it got.
stop() {
    [[ -f "$state" ]] || return 0
    local PINDEL_PRINT_DIR="" PINDEL_CUPSD_PID="" PINDEL_CUPS_PDF_CONF="" queue
    local -a PINDEL_QUEUES=()
    # shellcheck source=/dev/null
    source "$state"
    for queue in "${PINDEL_QUEUES[@]}"; do
        "${as_root[@]}" lpadmin -x "$queue" 2>/dev/null || true
    done
    [[ -z "$PINDEL_CUPS_PDF_CONF" ]] || "${as_root[@]}" rm -f "$PINDEL_CUPS_PDF_CONF"
    if [[ -n "$PINDEL_CUPSD_PID" ]]; then
        # Another run's queues on the server this run started: it stays for them.
        if lpstat -p 2>/dev/null | grep -q '^printer Pindel[A-Za-z]*-'; then
            echo "print-server: CUPS (pid $PINDEL_CUPSD_PID) keeps running for another run's queues" >&2
        else
            "${as_root[@]}" kill "$PINDEL_CUPSD_PID" 2>/dev/null || true
        fi
    fi
    [[ -z "$PINDEL_PRINT_DIR" ]] || "${as_root[@]}" rm -rf "$PINDEL_PRINT_DIR"
    rm -f "$state"
}

# remember NAME=VALUE...: appended to the state file, quoted for the shell.
remember() {
    local pair
    for pair in "$@"; do
        printf '%s=%q\n' "${pair%%=*}" "${pair#*=}" >>"$state"
    done
}

start() {
    stop # what an earlier run with this state file left behind
    local dir tag
    dir=$(mktemp -d "${TMPDIR:-/tmp}/pindel-print.XXXXXX")
    tag=${dir##*.}
    : >"$state"
    remember PINDEL_PRINT_DIR="$dir"
    if ! scheduler_running; then
        "${as_root[@]}" /usr/sbin/cupsd -f &
        remember PINDEL_CUPSD_PID="$!"
        for _ in $(seq 100); do scheduler_running && break; sleep 0.05; done
        scheduler_running || { echo "cupsd did not start" >&2; exit 1; }
    fi

    # cups-pdf reads the settings of the queue with URI cups-pdf:/NAME from
    # /etc/cups/cups-pdf-NAME.conf.
    local pdf_dir="$dir/pdf" conf="/etc/cups/cups-pdf-pindel-$tag.conf"
    mkdir -p "$pdf_dir"
    chmod 1777 "$pdf_dir"
    remember PINDEL_CUPS_PDF_CONF="$conf" PINDEL_PDF_DIR="$pdf_dir"
    printf 'Out %s/${USER}\nAnonDirName %s/ANONYMOUS\nUserUMask 0000\n' "$pdf_dir" "$pdf_dir" |
        "${as_root[@]}" tee "$conf" >/dev/null

    local pdf="PindelPDF-$tag" rejecting="PindelRejecting-$tag" stopped="PindelStopped-$tag"
    remember PINDEL_PDF_QUEUE="$pdf" PINDEL_REJECTING_QUEUE="$rejecting" PINDEL_STOPPED_QUEUE="$stopped"
    echo "PINDEL_QUEUES+=($pdf $rejecting $stopped)" >>"$state"
    # pdftocairo keeps the text readable for pdftotext (gs would make Type 3 glyphs).
    "${as_root[@]}" lpadmin -p "$pdf" -v "cups-pdf:/pindel-$tag" -E \
        -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -o pdftops-renderer-default=pdftocairo
    # Two queues that must not take a print, for the tests of a failed print:
    # one rejects jobs, one is stopped.
    "${as_root[@]}" lpadmin -p "$rejecting" -v file:/dev/null -E
    "${as_root[@]}" cupsreject "$rejecting"
    "${as_root[@]}" lpadmin -p "$stopped" -v file:/dev/null -E
    "${as_root[@]}" cupsdisable "$stopped"
}

case "${1:-}" in
start) start ;;
stop) stop ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
