# Bash completion for velmora-stereo: commands, each command's options, and
# file names where a command takes a file.
_velmora_stereo() {
    local current previous command word
    current=${COMP_WORDS[COMP_CWORD]}
    previous=${COMP_WORDS[COMP_CWORD-1]}
    local commands="scan info read-json write-json imu capture restore backups help"
    local selection="--index --serial --path"

    command=""
    for word in "${COMP_WORDS[@]:1:COMP_CWORD-1}"; do
        case $word in
            scan | info | read-json | write-json | imu | capture | restore | backups | help) command=$word; break ;;
        esac
    done

    case $previous in
        --scenario | --output | --out | --report | --backup-dir)
            if [ "$previous" = --backup-dir ]; then
                mapfile -t COMPREPLY < <(compgen -d -- "$current")
            else
                mapfile -t COMPREPLY < <(compgen -f -- "$current")
            fi
            return ;;
        --flash)
            mapfile -t COMPREPLY < <(compgen -W "record user-space" -- "$current")
            return ;;
        --index | --serial | --path | --count | --seconds | --rate | --imu-samples)
            return ;;
    esac

    local options
    case $command in
        "") options="--scenario --help --version"
            if [[ $current != -* ]]; then options=$commands; fi ;;
        scan) options="--json --help" ;;
        info) options="$selection --json --help" ;;
        read-json) options="$selection --pretty --output --help" ;;
        write-json) options="$selection --backup-dir --no-backup --force --dry-run --diff --json --help" ;;
        imu) options="$selection --count --seconds --rate --csv --jsonl --all-reads --report --help" ;;
        capture) options="$selection --out --imu-samples --flash --help" ;;
        restore) options="$selection --force --backup-dir --no-backup --help" ;;
        backups) options="$selection --backup-dir --json --help" ;;
        help) options=$commands ;;
    esac
    mapfile -t COMPREPLY < <(compgen -W "$options" -- "$current")
    # write-json and restore take a file after their options.
    if [[ $current != -* && ( $command == write-json || $command == restore ) ]]; then
        mapfile -t -O "${#COMPREPLY[@]}" COMPREPLY < <(compgen -f -- "$current")
    fi
}
complete -F _velmora_stereo velmora-stereo
