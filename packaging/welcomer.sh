# welcomer(1) for console and SSH logins: the login shell shows the workstation's messages in
# the terminal through welcomer-login. Graphical sessions have the autostart entry instead, and
# a shell that cannot answer (scp, "ssh host command", a script) must never wait for a key, so
# only an interactive shell on a terminal without a graphical session runs it.
#
# Every login shell reads this file: it defines nothing, and whatever welcomer does, the login
# goes on. welcomer-login and welcomer report their own errors.
case $- in
  *i*)
    if [ -t 0 ] && [ -t 1 ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] &&
      command -v welcomer-login >/dev/null 2>&1; then
      # Ctrl-C ends the pages; without a trap of its own some shells would also abandon the
      # rest of the login scripts.
      trap : INT
      welcomer-login || :
      trap - INT
    fi
    ;;
esac
