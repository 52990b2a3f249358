#!/usr/bin/env bash
# Starts CUPS (without systemd) with a PDF printer "PindelPDF" as the server
# default and two queues that refuse prints, or stops what "start" started.
#   scripts/print-server.sh start   PDFs land in $PINDEL_PDF_DIR (default /tmp/pindel-pdf)
#   scripts/print-server.sh stop
set -euo pipefail
pdf_dir="${PINDEL_PDF_DIR:-/tmp/pindel-pdf}"
pid_file=/tmp/pindel-cupsd.pid
as_root=()
[[ $(id -u) -eq 0 ]] || as_root=(sudo)

scheduler_running() { lpstat -r 2>/dev/null | grep -q "is running"; }

case "${1:-}" in
start)
    if ! scheduler_running; then
        "${as_root[@]}" /usr/sbin/cupsd -f &
        echo $! > "$pid_file"
        for _ in $(seq 100); do scheduler_running && break; sleep 0.05; done
        scheduler_running || { echo "cupsd did not start" >&2; exit 1; }
    fi
    mkdir -p "$pdf_dir"
    chmod 1777 "$pdf_dir"
    printf 'Out %s/${USER}\nAnonDirName %s/ANONYMOUS\nUserUMask 0000\n' "$pdf_dir" "$pdf_dir" |
        "${as_root[@]}" tee /etc/cups/cups-pdf-pindel.conf >/dev/null
    # pdftocairo keeps the text readable for pdftotext (gs would make Type 3 glyphs).
    "${as_root[@]}" lpadmin -p PindelPDF -v cups-pdf:/pindel -E \
        -m lsb/usr/cups-pdf/CUPS-PDF_opt.ppd -o pdftops-renderer-default=pdftocairo
    "${as_root[@]}" lpadmin -d PindelPDF
    # Two queues that must not take a print, for the tests of a failed print
    # (chosen per process with PRINTER=...): one rejects jobs, one is stopped.
    "${as_root[@]}" lpadmin -p PindelRejecting -v file:/dev/null -E
    "${as_root[@]}" cupsreject PindelRejecting
    "${as_root[@]}" lpadmin -p PindelStopped -v file:/dev/null -E
    "${as_root[@]}" cupsdisable PindelStopped
    ;;
stop)
    if [[ -f "$pid_file" ]]; then
        "${as_root[@]}" kill "$(cat "$pid_file")" 2>/dev/null || true
        rm -f "$pid_file"
    fi
    ;;
*)
    echo "usage: $0 start|stop" >&2
    exit 2
    ;;
esac
