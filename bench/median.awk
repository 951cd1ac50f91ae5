# The median of a list of numbers separated by spaces, for report.awk and
# chart.awk (awk -f median.awk -f report.awk).
function median(list,    a, n, i, j, v) {
  n = split(list, a, " ")
  for (i = 2; i <= n; i++) {
    v = a[i] + 0
    for (j = i - 1; j >= 1 && a[j] + 0 > v; j--) a[j + 1] = a[j]
    a[j + 1] = v
  }
  return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
}
