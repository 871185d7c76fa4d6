# bash completion for lyrivane: its commands, each command's options, song paths, and the
# services of lookup. Installed by `make install` as
# $PREFIX/share/bash-completion/completions/lyrivane.
_lyrivane() {
  local cur prev words cword
  _init_completion || return
  local commands="info rename lookup recognize undo"
  if [ "$cword" -eq 1 ]; then
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi
  local command=${words[1]} options=""
  case $command in
    info) options="--json --help" ;;
    rename) options="--dry-run --json -r --recursive --help --" ;;
    lookup) options="--service --json --help" ;;
    recognize) options="--json --help" ;;
    undo) options="--dry-run --json --list --help" ;;
    *) return ;;
  esac
  if [ "$command" = lookup ] && [ "$prev" = --service ]; then
    COMPREPLY=($(compgen -W "baidu soso netease qqmusic genius auto" -- "$cur"))
    return
  fi
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$options" -- "$cur"))
    return
  fi
  case $command in
    info | rename) _filedir ;;
    recognize) _filedir wav ;;
  esac
}
complete -F _lyrivane lyrivane
