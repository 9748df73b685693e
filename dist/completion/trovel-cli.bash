# bash completion for trovel-cli: commands, options, code pages, and archive
# files for the first operand.

_trovel_cli()
{
    local cur prev words cword
    _init_completion -s || return

    local commands="list test extract extract-all cat"
    local codepages="874 932 936 949 950 1250 1251 1252 1253 1254 1255 1256 1257 1258 utf-8 raw"

    if ((cword == 1)); then
        COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
        return
    fi

    local command=${words[1]}
    case $prev in
        --codepage)
            COMPREPLY=($(compgen -W "$codepages" -- "$cur"))
            return
            ;;
        --exclude | -j | --jobs)
            return
            ;;
    esac
    if [[ $cur == --codepage=* ]]; then
        COMPREPLY=($(compgen -W "$codepages" -- "${cur#--codepage=}"))
        return
    fi

    local options="--codepage -q --quiet"
    case $command in
        list) options+=" --exclude -i --ignore-case -l --long" ;;
        test) options+=" --exclude -i --ignore-case -v --verbose -j --jobs" ;;
        extract-all) options+=" --exclude -i --ignore-case -v --verbose --skip-old-files --no-space-check -j --jobs" ;;
        cat) options+=" --exclude -i --ignore-case -j --jobs" ;;
        extract) ;;
        *) return ;;
    esac

    # The position among the operands, options and their values left out.
    local i operand=0 ended=""
    for ((i = 2; i < cword; i++)); do
        if [[ -z $ended && ${words[i]} == -- ]]; then
            ended=1
        elif [[ -z $ended && ${words[i]} == @(--codepage|--exclude|-j|--jobs) ]]; then
            ((i++))
        elif [[ -n $ended || ${words[i]} != -?* || ${words[i]} =~ ^-[0-9]+$ ]]; then
            ((operand++))
        fi
    done

    if [[ -z $ended && $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options --" -- "$cur"))
        return
    fi
    case $operand in
        0) _filedir arc ;;
        1)
            case $command in
                extract-all) _filedir -d ;;
                extract) ;;
            esac
            ;;
        2) [[ $command == extract ]] && _filedir ;;
    esac
}
complete -F _trovel_cli trovel-cli
